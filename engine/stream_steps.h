// The transformations of a job for a text that comes in pieces. Each step takes the text
// piece by piece and gives out exactly what its whole-text function (transformations.h,
// replace_literal.h) makes of the whole text: the units whose fate depends on what comes
// next (a CR that an LF may follow, blanks a line end may follow, the start of a search
// text) are held back until the next piece, and the rest of what a step needs to know
// (the column, the count of units) is carried along.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "core/job_options.h"
#include "core/wide_text.h"

class StreamStep {
 public:
  virtual ~StreamStep() = default;

  // Replaces piece by the output that is settled once it is seen; last: no piece follows,
  // everything held back goes out.
  virtual void Feed(WideText& piece, bool last) = 0;

  // Whether the step has altered its text so far, as the whole-text function answers.
  bool changed() const { return changed_; }

 protected:
  bool changed_ = false;
};

// The steps of a job in the order the whole-text road runs them; the job's regular
// expression is not among them (StepsStream answers false for such a job).
std::vector<std::unique_ptr<StreamStep>> MakeStreamSteps(const JobOptions& job);

// Whether every step the job asks for can be taken in pieces.
bool StepsStream(const JobOptions& job);

// The widest TAB expansion taken in pieces, the widest the settings allow: a wider one
// (only a job made by hand has it) makes more of one TAB than a piece should hold.
inline constexpr uint32_t kWidestStreamedTab = 99;

// Runs the pieces through the steps in turn; true when a step changed the text.
bool FeedSteps(std::span<const std::unique_ptr<StreamStep>> steps, WideText& piece, bool last);
