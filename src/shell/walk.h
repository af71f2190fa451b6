#pragma once
// How the charts and listings walk the readings between two keys.
//
// Skipping hands SQLite the window's own tests, so the readings no test
// cares about are passed over inside the engine; row by row reads every
// reading and lets the window's tests decide. Both give the same windows,
// click for click; row by row stays as the plain reference that the
// skipping walk is checked against.
namespace tellora {

enum class Walk { Skipping, RowByRow };

Walk ReadingsWalk();
void SetReadingsWalk(Walk walk);

} // namespace tellora
