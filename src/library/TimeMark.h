// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "library/Utf8.h"

#include <QByteArray>
#include <QString>

// A time mark of a recording: a position in seconds with a note text.
class TimeMark
{
public:
    float offset() const { return m_offset; }
    void setOffset(float offset) { m_offset = offset; }
    int markID() const { return m_markID; }
    void setMarkID(int id) { m_markID = id; }

    // The note is kept in UTF-8, as the library's file holds it: a library
    // holds a few notes per recording, and most notes are ASCII, which takes
    // half the memory there.
    QString descr() const { return Utf8::toText(m_descr); }
    const QByteArray& descrUtf8() const { return m_descr; }
    void setDescr(const QString& descr) { m_descr = descr.toUtf8(); }
    // Whole UTF-8 only, such as the strict parse of the library's file gives.
    void setDescrUtf8(QByteArray descr) { m_descr = std::move(descr); }

private:
    float m_offset = 0;
    int m_markID = -1;
    QByteArray m_descr;
};
