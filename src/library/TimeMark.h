// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// A time mark of a recording: a position in seconds with a note text.
class TimeMark
{
public:
    float offset() const { return m_offset; }
    void setOffset(float offset) { m_offset = offset; }
    int markID() const { return m_markID; }
    void setMarkID(int id) { m_markID = id; }
    const QString& descr() const { return m_descr; }
    void setDescr(const QString& descr) { m_descr = descr; }

private:
    float m_offset = 0;
    int m_markID = -1;
    QString m_descr;
};
