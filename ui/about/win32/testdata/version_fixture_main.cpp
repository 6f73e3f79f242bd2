// A program that only carries a version resource, read by the tests.
int main() { return 0; }
