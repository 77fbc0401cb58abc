// SPDX-License-Identifier: GPL-3.0-or-later
#include "library/SearchIndex.h"

#include "library/RecGroup.h"
#include "library/RecItem.h"
#include "library/WalkRows.h"

#include <algorithm>
#include <cstring>

namespace {

void appendFolded(QString& out, const QString& text)
{
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        char32_t code = text[i].unicode();
        if (QChar::isHighSurrogate(code) && i + 1 < size && text[i + 1].isLowSurrogate())
            code = QChar::surrogateToUcs4(char16_t(code), text[++i].unicode());
        const char32_t folded = QChar::toCaseFolded(code);
        if (QChar::requiresSurrogates(folded)) {
            out += QChar(QChar::highSurrogate(folded));
            out += QChar(QChar::lowSurrogate(folded));
        } else {
            out += QChar(char16_t(folded));
        }
    }
}

} // namespace

QByteArray SearchIndex::fold(const QString& text)
{
    QString folded;
    folded.reserve(text.size());
    appendFolded(folded, text);
    return folded.toUtf8();
}

void SearchIndex::clear()
{
    m_root = nullptr;
    m_stamp = 0;
    m_text = QByteArray();
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
    // Folded a recording at a time into one UTF-16 buffer, converted once.
    QString texts;
    std::vector<qsizetype> starts;
    walkRows(root, [&](GeneralRecItem* row) {
        RecItem* item = row->asItem();
        if (!item)
            return;
        starts.push_back(texts.size());
        m_items.push_back(item);
        appendFolded(texts, item->title());
        texts += QChar(u'\0');
        appendFolded(texts, item->descr());
        texts += QChar(u'\0');
        for (const auto& mark : item->marks()) {
            appendFolded(texts, mark->descr());
            texts += QChar(u'\0');
        }
    });
    // UTF-8 offsets: each recording's start is found again by its NULs.
    m_text = texts.toUtf8();
    texts = QString();
    m_starts.reserve(starts.size());
    const char* data = m_text.constData();
    qsizetype utf16 = 0, utf8 = 0;
    for (qsizetype start : starts) {
        // Count UTF-16 units from the last start to this one in the UTF-8 text.
        while (utf16 < start) {
            const auto byte = static_cast<unsigned char>(data[utf8]);
            const int length = byte < 0x80 ? 1 : byte < 0xE0 ? 2 : byte < 0xF0 ? 3 : 4;
            utf8 += length;
            utf16 += length == 4 ? 2 : 1;
        }
        m_starts.push_back(utf8);
    }
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
    const char* data = m_text.constData();
    const size_t size = size_t(m_text.size());
    size_t from = 0;
    while (from < size) {
        const void* hit =
            memmem(data + from, size - from, needle.constData(), size_t(needle.size()));
        if (!hit)
            break;
        const qsizetype at = static_cast<const char*>(hit) - data;
        const auto next = std::upper_bound(m_starts.cbegin(), m_starts.cend(), at);
        found.append(m_items[size_t(next - m_starts.cbegin() - 1)]);
        if (next == m_starts.cend())
            break;
        from = size_t(*next);
    }
    return found;
}
