// SPDX-License-Identifier: GPL-3.0-or-later
#include "library/TreeFixture.h"

namespace {

QString quoted(const QString& s)
{
    QString out = s;
    out.replace("\\", "\\\\").replace("\n", "\\n").replace("\r", "\\r").replace("\t", "\\t");
    return "'" + out + "'";
}

} // namespace

QString describeTree(const RecGroup* group)
{
    QStringList parts;
    for (const GeneralRecItem* sub : group->subItems()) {
        if (sub->isGroup()) {
            auto* g = static_cast<const RecGroup*>(sub);
            parts << QString("G%1 %2 %3 %4 L%5 [%6]")
                         .arg(g->ID())
                         .arg(quoted(g->title()), g->isExpanded() ? "open" : "closed",
                              quoted(g->descr()))
                         .arg(g->level())
                         .arg(describeTree(g));
        } else {
            auto* i = static_cast<const RecItem*>(sub);
            QStringList marks;
            for (const auto& m : i->marks())
                marks << QString("%1@%2%3")
                             .arg(m.markID())
                             .arg(double(m.offset()), 0, 'g', 9)
                             .arg(quoted(m.descr()));
            parts << QString("I%1 %2 %3 %4 %5 L%6 {%7}%8%9")
                         .arg(i->ID())
                         .arg(quoted(i->title()), quoted(i->descr()), quoted(i->date()))
                         .arg(i->duration(), 0, 'g', 17)
                         .arg(i->level())
                         .arg(marks.join(","), i->isFileMissing() ? " missing" : "",
                              i->fingerprint().isEmpty() ? "" : " " + i->fingerprint());
        }
    }
    return parts.join("; ");
}
