// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/ExportDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

ExportDialog::ExportDialog(const QString& what, const ExportOptions& options, QWidget* parent)
    : QDialog(parent), m_format(new QComboBox(this)),
      m_reduceNoise(new QCheckBox(tr("Reduce noise"), this)),
      m_evenLoudness(new QCheckBox(tr("Even out loudness"), this)), m_folder(new QLineEdit(this))
{
    setWindowTitle(tr("Export"));
    setMinimumWidth(460);
    m_format->addItem(tr("Opus (.opus), small, for voice"), int(ExportFormat::Opus));
    m_format->addItem(tr("MP3 (.mp3), plays everywhere"), int(ExportFormat::Mp3));
    m_format->addItem(tr("FLAC (.flac), lossless"), int(ExportFormat::Flac));
    m_format->addItem(tr("WAV (.wav), uncompressed"), int(ExportFormat::Wav));
    m_format->addItem(tr("M4A (.m4a), AAC as recorded"), int(ExportFormat::M4a));
    m_format->setCurrentIndex(m_format->findData(int(options.format)));
    m_reduceNoise->setChecked(options.reduceNoise);
    m_evenLoudness->setChecked(options.evenLoudness);
    m_evenLoudness->setToolTip(tr("Brings the voice to -16 LUFS, as podcasts are"));
    m_folder->setText(options.folder);

    auto* choose = new QPushButton(tr("Choose..."), this);
    connect(choose, &QPushButton::clicked, this, &ExportDialog::chooseFolder);
    auto* where = new QHBoxLayout;
    where->addWidget(m_folder, 1);
    where->addWidget(choose);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
    buttons->addButton(tr("Export"), QDialogButtonBox::AcceptRole)->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* form = new QFormLayout(this);
    auto* heading = new QLabel(what, this);
    heading->setWordWrap(true);
    form->addRow(heading);
    form->addRow(tr("Format:"), m_format);
    form->addRow(tr("Voice:"), m_reduceNoise);
    form->addRow(QString(), m_evenLoudness);
    form->addRow(tr("Save in:"), where);
    form->addRow(buttons);
}

ExportOptions ExportDialog::options() const
{
    ExportOptions chosen;
    chosen.format = ExportFormat(m_format->currentData().toInt());
    chosen.reduceNoise = m_reduceNoise->isChecked();
    chosen.evenLoudness = m_evenLoudness->isChecked();
    chosen.folder = m_folder->text().trimmed();
    return chosen;
}

void ExportDialog::chooseFolder()
{
    const QString folder =
        QFileDialog::getExistingDirectory(this, tr("Export to"), m_folder->text());
    if (!folder.isEmpty())
        m_folder->setText(folder);
}
