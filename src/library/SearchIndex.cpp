// SPDX-License-Identifier: GPL-3.0-or-later
#include "library/SearchIndex.h"

#include "library/RecGroup.h"
#include "library/RecItem.h"
#include "library/Utf8.h"
#include "library/WalkRows.h"

#include <algorithm>
#include <cstring>

namespace {

char asciiFolded(char c)
{
    return char(c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c);
}

// Writes the folded text in UTF-8, at most three bytes per UTF-16 unit;
// answers the end. Most texts are ASCII, which is folded here.
char* putFolded(char* out, const QString& text)
{
    const auto* chars = reinterpret_cast<const char16_t*>(text.constData());
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        char32_t code = chars[i];
        if (code < 0x80) {
            *out++ = asciiFolded(char(code));
            continue;
        }
        // Some fold into ASCII, such as the Kelvin sign into "k".
        code = QChar::toCaseFolded(Utf8::codePointAt(chars, size, i));
        if (code < 0x80)
            *out++ = char(code);
        else
            out = Utf8::putMultiByte(out, code);
    }
    return out;
}

} // namespace

QByteArray SearchIndex::fold(const QString& text)
{
    QByteArray folded(text.size() * 3, Qt::Uninitialized);
    folded.truncate(putFolded(folded.data(), text) - folded.constData());
    return folded;
}

void SearchIndex::clear()
{
    m_root = nullptr;
    m_stamp = 0;
    m_text = {};
    m_starts = {};
    m_items = {};
}

void SearchIndex::prepare(const RecGroup* root)
{
    if (root == m_root && root && root->changeStamp() == m_stamp && !m_items.empty())
        return;
    clear();
    if (!root)
        return;
    walkRows(root, [&](GeneralRecItem* row) {
        RecItem* item = row->asItem();
        if (!item)
            return;
        const QString title = item->title();
        const QString descr = item->descr();
        qsizetype room = title.size() + descr.size() + 2;
        // A note's UTF-8 bytes are at least as many as its UTF-16 units.
        for (const TimeMark& mark : item->marks())
            room += mark.descrUtf8().size() + 1;
        const size_t start = m_text.size();
        m_text.resize(start + size_t(room) * 3);
        char* out = m_text.data() + start;
        const auto put = [&out](const QString& text) {
            out = putFolded(out, text);
            *out++ = '\0';
        };
        put(title);
        put(descr);
        for (const TimeMark& mark : item->marks()) {
            const QByteArray& note = mark.descrUtf8();
            if (std::all_of(note.begin(), note.end(), [](char c) { return uchar(c) < 0x80; })) {
                for (const char c : note)
                    *out++ = asciiFolded(c);
                *out++ = '\0';
            } else {
                put(mark.descr());
            }
        }
        m_text.resize(size_t(out - m_text.data()));
        m_starts.push_back(start);
        m_items.push_back(item);
    });
    m_text.shrink_to_fit();
    m_root = root;
    m_stamp = root->changeStamp();
}

QList<RecItem*> SearchIndex::find(const RecGroup* root, const QString& text)
{
    QList<RecItem*> found;
    const QByteArray needle = fold(text);
    if (needle.isEmpty() || !root)
        return found;
    prepare(root);
    const char* data = m_text.data();
    const size_t size = m_text.size();
    size_t from = 0;
    while (from < size) {
        const void* hit =
            memmem(data + from, size - from, needle.constData(), size_t(needle.size()));
        if (!hit)
            break;
        const size_t at = size_t(static_cast<const char*>(hit) - data);
        const auto next = std::upper_bound(m_starts.cbegin(), m_starts.cend(), at);
        found.append(m_items[size_t(next - m_starts.cbegin() - 1)]);
        if (next == m_starts.cend())
            break;
        from = *next;
    }
    return found;
}
