// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <array>

// A recording's fingerprint as its row holds it: one in the form that
// FileFingerprint::of() gives ("<size>:<40 hex digits>") as its numbers, in
// the row itself; any other text as it is. text() gives back the text
// exactly as it was set.
class CompactFingerprint
{
public:
    CompactFingerprint() = default;
    explicit CompactFingerprint(const QString& text);
    // The same from text known to be Latin-1, as a file's bytes hold it.
    explicit CompactFingerprint(QLatin1StringView text);

    QString text() const;
    // The usual form written as ASCII into out (kMaxAscii bytes at least);
    // answers its length, or -1 when the fingerprint is kept as other text.
    static constexpr qsizetype kMaxAscii = 20 + 1 + 40;
    qsizetype toAscii(char* out) const;
    bool isEmpty() const { return m_size < 0 && m_text.isEmpty(); }
    // The file size it names, as FileFingerprint::sizeOf(text()) reads it,
    // without making the text.
    qint64 fileSize() const;

private:
    static constexpr int kHashBytes = 20;
    // Takes the usual form as numbers; false for any other text.
    template <typename Text> bool pack(const Text& text);
    // -1 when the text is kept as it is.
    qint64 m_size = -1;
    std::array<uchar, kHashBytes> m_hash{};
    QString m_text;
};
