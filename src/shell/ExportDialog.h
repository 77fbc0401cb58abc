// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "media/ExportOptions.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLineEdit;

// Asks how to share recordings: the format, a cleaner voice, and the folder
// the copies go to. Main thread.
class ExportDialog : public QDialog
{
    Q_OBJECT
public:
    // what: the recordings being exported, as the user reads it.
    ExportDialog(const QString& what, const ExportOptions& options, QWidget* parent = nullptr);

    ExportOptions options() const;

private:
    void chooseFolder();

    QComboBox* m_format;
    QCheckBox* m_reduceNoise;
    QCheckBox* m_evenLoudness;
    QLineEdit* m_folder;
};
