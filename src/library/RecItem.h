// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "library/CompactFingerprint.h"
#include "library/GeneralRecItem.h"
#include "library/TimeMark.h"

#include <vector>

// A recording: one .m4a file with its date text, description, duration and
// time marks (kept in the order they were added).
class RecItem : public GeneralRecItem
{
    Q_OBJECT
public:
    // The form of the date text of a new recording; the text is stored as it
    // stands and never parsed.
    static constexpr const char* kDateFormat = "MM/dd HH:mm";

    RecItem();
    ~RecItem() override;

    QString descr() const override { return m_descr; }
    void setDescr(const QString& descr) override;
    QString date() const { return m_date; }
    void setDate(const QString& date);

    double duration() const { return m_duration; }
    void setDuration(double seconds);
    QString durationText() const { return durationText(m_duration); }
    static QString durationText(double seconds);

    // Held in one block: a library holds a few per recording. A pointer to
    // a mark holds until the next mark is added or removed.
    const std::vector<TimeMark>& marks() const { return m_marks; }
    bool addMarkAtTime(float offset, const QString& descr, int id);
    // The same with a mark made by the caller; false when its ID is taken.
    bool addMark(TimeMark mark);
    void reserveMarks(size_t count) { m_marks.reserve(count); }
    void removeMark(const TimeMark* mark);
    int createMarkID() const;
    TimeMark* markByID(int id);
    const TimeMark* markByID(int id) const;
    // A note text edited in the navigator strip.
    void setMarkDescr(TimeMark* mark, const QString& descr);

    // The file is not where the row says (moved away, or on a drive that is
    // not mounted): the row keeps its texts and marks but cannot be played,
    // continued or split until the file is back. Not saved.
    bool isFileMissing() const { return m_fileMissing; }
    void setFileMissing(bool missing);

    // What identifies its file when the file turns up under another name or
    // in another folder (FileFingerprint); empty until the file was looked at.
    QString fingerprint() const { return m_fingerprint.text(); }
    const CompactFingerprint& packedFingerprint() const { return m_fingerprint; }
    // The size of the file the fingerprint was taken of; -1 without one.
    qint64 fingerprintedSize() const { return m_fingerprint.fileSize(); }
    void setFingerprint(const QString& fingerprint)
    {
        m_fingerprint = CompactFingerprint(fingerprint);
    }
    void setFingerprint(CompactFingerprint fingerprint) { m_fingerprint = std::move(fingerprint); }

private:
    // First: it fits in the space GeneralRecItem's flags leave.
    bool m_fileMissing = false;
    QString m_date;
    QString m_descr;
    std::vector<TimeMark> m_marks;
    double m_duration = 0;
    CompactFingerprint m_fingerprint;
};
