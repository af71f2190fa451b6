#pragma once
// Scratch files of the replacing steps: a new file is built under a fixed
// scratch name beside the old one and then renamed over it in one atomic
// step (files::ReplaceFile), so the old file stays whole until the new one
// is complete.
#include <QString>

#include <functional>
#include <string_view>

namespace tellora {

// True when `a` and `b` name the same file: names are compared exactly, since
// two names that differ in case are two files (two people's).
bool SameFileName(const QString& a, const QString& b);

// Removes the file of the program folder named exactly `name`, the program's
// own scratch file, with its SQLite journal. Throws dao::Error when one stays.
void RemoveScratch(const QString& name);
// Like RemoveScratch, for the failure paths: never throws.
void DiscardScratch(const QString& name) noexcept;

// Renames the finished scratch file over `target` in one step, keeping the
// target's permissions, and makes the rename durable. The caller holds the
// target exclusively meanwhile. Throws dao::Error; the target is then as it was.
void ReplaceWithScratch(const QString& scratch, const QString& target);

// A seam for tests: each step of a compaction, repair or conversion first
// passes its name here ("remove-leftover", "compact", "repair", "create",
// "copy" for every row, "commit", "replace"). A hook that throws dao::Error
// makes that step fail. The file operations have their own seam
// (files::SetFaultHook).
using StepHook = std::function<void(std::string_view step)>;
void SetStepHook(StepHook hook);
void StepPoint(std::string_view step);

} // namespace tellora
