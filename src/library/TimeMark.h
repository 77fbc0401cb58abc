// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// A time mark of a recording: a position in seconds with a note text.
class TimeMark
{
public:
    float offset() const { return m_offset; }
    void setOffset(float offset) { m_offset = offset; }
    // Position as a fraction of the recording's duration; only filled on the
    // copies handed to the navigator strip, never saved.
    float offsetPerc() const { return m_offsetPerc; }
    void setOffsetPerc(float perc) { m_offsetPerc = perc; }
    int markID() const { return m_markID; }
    void setMarkID(int id) { m_markID = id; }
    const QString& descr() const { return m_descr; }
    void setDescr(const QString& descr) { m_descr = descr; }
    int trackingTag() const { return m_trackingTag; }
    void setTrackingTag(int tag) { m_trackingTag = tag; }

private:
    float m_offsetPerc = 0;
    float m_offset = 0;
    int m_markID = -1;
    QString m_descr;
    int m_trackingTag = 0;
};
