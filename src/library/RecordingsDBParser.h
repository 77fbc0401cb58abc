// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArrayView>
#include <QString>
#include <array>
#include <optional>

// A strict read of "RecordingsDB.xml" as this program writes it, with
// pugixml parsing the bytes in place: UTF-8, an optional declaration,
// comments, elements with ASCII names and attributes, the five predefined
// entities and character references. No document type is read and no
// entity expanded. It declines everything else (a document type, CDATA,
// processing instructions, a byte order mark, other encodings, malformed or
// truncated text, characters XML cannot hold, line breaks inside attribute
// values), so that the full XML reader decides those files. What it accepts
// it reports as a well-formed reader would: the same elements with the same
// attribute values.
class RecordingsDBParser
{
public:
    static constexpr int kMaxAttributes = 16;

    class Attributes
    {
    public:
        // The value as written in the file, entities still in place.
        std::optional<QByteArrayView> raw(QByteArrayView name) const;
        bool has(QByteArrayView name) const { return raw(name).has_value(); }
        // The value with its entities and character references replaced.
        QString text(QByteArrayView name) const;

        int count() const { return m_count; }
        QByteArrayView nameAt(int i) const { return m_list[size_t(i)].name; }
        QByteArrayView valueAt(int i) const { return m_list[size_t(i)].value; }

        void clear() { m_count = 0; }
        // False when the element already has the name or too many attributes.
        bool add(QByteArrayView name, QByteArrayView value);

    private:
        struct Attribute
        {
            QByteArrayView name;
            QByteArrayView value;
        };
        std::array<Attribute, kMaxAttributes> m_list;
        int m_count = 0;
    };

    class Handler
    {
    public:
        virtual ~Handler() = default;
        virtual void startElement(QByteArrayView name, const Attributes& attributes) = 0;
        virtual void endElement() = 0;
    };

    // Parses the document in its own buffer, which it overwrites. False when
    // the document is not one the parser takes; the handler may then have
    // seen part of it.
    static bool parse(QByteArray& document, Handler& handler);

    // The value of an attribute the parser took, with its entities replaced.
    static QString decode(QByteArrayView value);
    // The same in UTF-8, which the document's checks made whole.
    static QByteArray decodeUtf8(QByteArrayView value);
};
