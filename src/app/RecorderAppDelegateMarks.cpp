// SPDX-License-Identifier: GPL-3.0-or-later
// Time marks to and from other tools: label files of audio editors and CUE sheets.
#include "app/RecorderAppDelegate.h"
#include "library/MarkFiles.h"
#include "library/RecItem.h"
#include "playback/RecNavigController.h"
#include "widgets/Messages.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QSaveFile>

bool RecorderAppDelegate::importMarks(const QString& path, RecItem* rec)
{
    if (!rec)
        return false;
    const QString name = QFileInfo(path).fileName();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        showMessage(tr("The label file \"%1\" could not be read.").arg(name));
        return false;
    }
    std::vector<MarkFiles::Label> labels;
    int badLine = 0;
    if (!MarkFiles::parseLabels(QString::fromUtf8(file.readAll()), labels, badLine)) {
        showMessage(tr("Line %1 of \"%2\" is not a label: each line holds a start and an end "
                       "in seconds and a note, separated by tabs. No marks were added.")
                        .arg(badLine)
                        .arg(name));
        return false;
    }
    if (MarkFiles::addLabels(*rec, labels) == 0)
        return false;
    if (m_recNavigController->currentFile() == rec)
        m_recNavigController->updateNotes();
    structChanged();
    updateButtonsState();
    return true;
}

void RecorderAppDelegate::exportMarks(RecItem* rec)
{
    if (!rec || rec->marks().empty())
        return;
    const QString labelFilter = tr("Label file (*.txt)");
    const QString cueFilter = tr("CUE sheet (*.cue)");
    QString filter = labelFilter;
    QString path = QFileDialog::getSaveFileName(
        window(), tr("Export marks"), QDir(outputFolder()).filePath(rec->title() + ".txt"),
        labelFilter + QStringLiteral(";;") + cueFilter, &filter);
    if (path.isEmpty())
        return;
    const QString suffix = QFileInfo(path).suffix().toLower();
    const bool cue =
        suffix == QStringLiteral("cue") || (suffix != QStringLiteral("txt") && filter == cueFilter);
    if (suffix.isEmpty())
        path += cue ? QStringLiteral(".cue") : QStringLiteral(".txt");
    QString text;
    if (cue) {
        if (rec->marks().size() > size_t(MarkFiles::kMaxCueTracks)) {
            showMessage(tr("A CUE sheet holds at most %1 tracks, and this recording has %2 "
                           "marks. Export them as a label file instead.")
                            .arg(MarkFiles::kMaxCueTracks)
                            .arg(rec->marks().size()));
            return;
        }
        // The sheet names the sound file from its own folder.
        text = MarkFiles::cueText(*rec, QFileInfo(path).dir().relativeFilePath(restorePath(rec)));
    } else {
        text = MarkFiles::labelText(*rec);
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text.toUtf8()) < 0 || !file.commit())
        showMessage(tr("The marks could not be written to \"%1\".").arg(path));
}
