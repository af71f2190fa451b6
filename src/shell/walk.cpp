#include "walk.h"

namespace tellora {

namespace {
Walk current = Walk::Skipping;
}

Walk ReadingsWalk()
{
    return current;
}

void SetReadingsWalk(Walk walk)
{
    current = walk;
}

} // namespace tellora
