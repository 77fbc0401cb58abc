// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "library/TimeMark.h"

// A copy of a recording's time mark as the navigator strip shows it: with
// its place on the strip and the tag of the area that tracks the pointer.
class StripNote : public TimeMark
{
public:
    // Position as a fraction of the recording's duration.
    float offsetPerc() const { return m_offsetPerc; }
    void setOffsetPerc(float perc) { m_offsetPerc = perc; }
    int trackingTag() const { return m_trackingTag; }
    void setTrackingTag(int tag) { m_trackingTag = tag; }

private:
    float m_offsetPerc = 0;
    int m_trackingTag = 0;
};
