// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/PreferencesView.h"

#include "shell/BottomPanel.h"
#include "shell/HotKeyPreferences.h"
#include "shell/PreferencesDelegate.h"
#include "shell/ThresholdIndicator.h"
#include "widgets/FloatSlider.h"
#include "widgets/Images.h"
#include "widgets/ToolbarButton.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QSignalBlocker>
#include <QSlider>
#include <QSpinBox>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

namespace {

constexpr int kLabelWidth = 84;
// Checked box and its spacing, so that hints line up with the box's text.
constexpr int kCheckIndent = 21;
// The meter spans the threshold slider's full scale, so the red mark stands
// under the slider's handle.
constexpr double kThresholdMaximum =
    ThresholdIndicator::kMaxValue / ThresholdIndicator::kLevelScale;
constexpr int kThresholdSteps = 200;
// Half the slider handle: the handle's centre travels this far inside the
// groove's ends.
constexpr int kHandleInset = 7;

QString defaultChooser(QWidget* parent, const QString& startFolder)
{
    QFileDialog dialog(parent, PreferencesView::tr("Choose a Folder for Recordings"), startFolder);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly, true);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setLabelText(QFileDialog::Accept, PreferencesView::tr("Choose"));
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.selectedFiles().value(0);
}

QIcon folderIcon(const QString& path)
{
    QFileIconProvider provider;
    const QFileInfo info(path);
    QIcon icon = info.isDir() ? provider.icon(info) : QIcon();
    if (icon.isNull())
        icon = provider.icon(QAbstractFileIconProvider::Folder);
    if (icon.isNull())
        return icon;
    // Redrawn into a 16 x 16 image so that every theme's icon has that size.
    QPixmap image(16, 16);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawPixmap(QRect(0, 0, 16, 16), icon.pixmap(QSize(16, 16)));
    painter.end();
    return QIcon(image);
}

QLabel* caption(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text.toUpper(), parent);
    QFont font = label->font();
    font.setBold(true);
    font.setPointSizeF(font.pointSizeF() * 0.8);
    font.setLetterSpacing(QFont::PercentageSpacing, 108);
    label->setFont(font);
    label->setStyleSheet(QStringLiteral("color: #8e8e93;"));
    return label;
}

// The page's texts carry their colours themselves, so they read on the dark
// window whether or not the application's palette is the dark one. The label
// names its field for screen readers.
QLabel* formLabel(const QString& text, QWidget* field, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setBuddy(field);
    label->setFixedWidth(kLabelWidth);
    label->setStyleSheet(QStringLiteral("color: #ececec;"));
    return label;
}

QLabel* hint(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setWordWrap(true);
    QFont font = label->font();
    font.setPointSizeF(font.pointSizeF() * 0.85);
    label->setFont(font);
    label->setStyleSheet(QStringLiteral("color: #98989d;"));
    return label;
}

QFrame* separator(QWidget* parent)
{
    auto* line = new QFrame(parent);
    line->setFixedHeight(1);
    line->setStyleSheet(QStringLiteral("background: rgba(255, 255, 255, 0.10); border: none;"));
    return line;
}

} // namespace

PreferencesView::PreferencesView(QWidget* parent)
    : QWidget(parent), m_devicesPopUp(new QComboBox(this)), m_outputPopUp(new QComboBox(this)),
      m_skipSilenceBtn(new QCheckBox(tr("Skip silence"), this)),
      m_thresholdSlider(new FloatSlider(0.0, kThresholdMaximum, kThresholdSteps, this)),
      m_levelIndicator(new ThresholdIndicator(this)),
      m_useHotKeysBtn(new QCheckBox(tr("Use global hot keys"), this)),
      m_hotKeys(new HotKeyPreferences(this)), m_qualitySlider(new QSlider(Qt::Horizontal, this)),
      m_startAtLoginBtn(new QCheckBox(tr("Start VoiceTray at login"), this)),
      m_preRollBtn(new QCheckBox(this)),
      m_preRollLabel(new QLabel(tr("Keep the last seconds before a recording starts"), this)),
      m_preRollSeconds(new QSpinBox(this)),
      m_backBtn(new ToolbarButton(Images::pixmap(QStringLiteral("back.png")), this)),
      m_folderChooser(defaultChooser)
{
    setFixedSize(kWidth, kHeight);

    m_devicesPopUp->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_devicesPopUp->setMinimumContentsLength(8);
    m_outputPopUp->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_outputPopUp->setMinimumContentsLength(8);
    m_outputPopUp->setIconSize(QSize(16, 16));
    m_thresholdSlider->setEnabled(false);
    m_levelIndicator->setEnabled(false);
    m_qualitySlider->setRange(1, 3);
    m_qualitySlider->setPageStep(1);
    m_qualitySlider->setValue(2);
    // A drag across all three presets restarts the capture once, on release.
    m_qualitySlider->setTracking(false);
    // The text wraps at the page's width in every language; a click on it
    // is one on the box, whose name it is.
    m_preRollLabel->setWordWrap(true);
    m_preRollLabel->setStyleSheet(QStringLiteral("color: #ececec;"));
    m_preRollLabel->installEventFilter(this);
    m_preRollBtn->setAccessibleName(m_preRollLabel->text());
    m_preRollSeconds->setRange(5, 30);
    m_preRollSeconds->setValue(10);
    m_preRollSeconds->setSuffix(tr(" s"));
    m_preRollSeconds->setAccessibleName(tr("Seconds kept before a recording"));
    m_backBtn->setAlternateImage(Images::pixmap(QStringLiteral("back_pressed.png")));
    m_backBtn->setToolTip(tr("Back"));

    connect(m_devicesPopUp, &QComboBox::activated, this, &PreferencesView::inputDeviceChanged);
    connect(m_outputPopUp, &QComboBox::activated, this, &PreferencesView::outputFolderChanged);
    connect(m_skipSilenceBtn, &QCheckBox::clicked, this, &PreferencesView::skipSilenceChanged);
    connect(m_thresholdSlider, &FloatSlider::doubleValueChanged, this,
            &PreferencesView::soundThresholdChanged);
    connect(m_useHotKeysBtn, &QCheckBox::clicked, this, &PreferencesView::useHotKeysChanged);
    connect(m_qualitySlider, &QSlider::valueChanged, this, &PreferencesView::qualityChanged);
    connect(m_preRollBtn, &QCheckBox::clicked, this, &PreferencesView::preRollChanged);
    connect(m_preRollSeconds, &QSpinBox::valueChanged, this, &PreferencesView::preRollChanged);
    connect(m_startAtLoginBtn, &QCheckBox::clicked, this, &PreferencesView::startAtLoginChanged);
    connect(m_backBtn, &ToolbarButton::clicked, this, &PreferencesView::backClicked);

    buildLayout();
}

void PreferencesView::buildLayout()
{
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    auto* header = new BottomPanel(this);
    auto* headerRow = new QHBoxLayout(header);
    headerRow->setContentsMargins(BottomPanel::kCapWidth, 3, BottomPanel::kCapWidth, 3);
    headerRow->addWidget(m_backBtn);
    auto* title = new QLabel(tr("Preferences"), header);
    QFont titleFont = title->font();
    titleFont.setBold(true);
    title->setFont(titleFont);
    title->setAlignment(Qt::AlignCenter);
    title->setStyleSheet(QStringLiteral("color: #ececec;"));
    headerRow->addWidget(title, 1);
    // Balances the back button so that the title stays centred.
    headerRow->addSpacing(m_backBtn->sizeHint().width());
    column->addWidget(header);

    auto* grid = new QGridLayout;
    grid->setContentsMargins(18, 14, 18, 14);
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(6);
    grid->setColumnStretch(1, 1);
    int row = 0;

    grid->addWidget(caption(tr("Recording"), this), row++, 0, 1, 2);
    grid->addWidget(formLabel(tr("Input device"), m_devicesPopUp, this), row, 0);
    grid->addWidget(m_devicesPopUp, row++, 1);
    grid->addWidget(formLabel(tr("Save in"), m_outputPopUp, this), row, 0);
    grid->addWidget(m_outputPopUp, row++, 1);
    grid->addWidget(formLabel(tr("Quality"), m_qualitySlider, this), row, 0);
    grid->addWidget(m_qualitySlider, row++, 1);
    auto* presets = new QHBoxLayout;
    presets->setContentsMargins(0, 0, 0, 0);
    const QStringList presetNames{tr("Low"), tr("Medium"), tr("High")};
    const Qt::Alignment presetAlign[] = {Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignRight};
    for (int i = 0; i < presetNames.size(); ++i) {
        QLabel* name = hint(presetNames[i], this);
        name->setWordWrap(false);
        name->setAlignment(presetAlign[i]);
        presets->addWidget(name, 1);
    }
    grid->addLayout(presets, row++, 1);
    auto* preRollRow = new QHBoxLayout;
    preRollRow->setContentsMargins(0, 0, 0, 0);
    preRollRow->addWidget(m_preRollBtn, 0, Qt::AlignTop);
    preRollRow->addWidget(m_preRollLabel, 1);
    preRollRow->addWidget(m_preRollSeconds, 0, Qt::AlignVCenter);
    grid->addLayout(preRollRow, row++, 0, 1, 2);
    QLabel* preRollHint = hint(tr("The microphone stays open, heard into memory only."), this);
    preRollHint->setContentsMargins(kCheckIndent, 0, 0, 0);
    grid->addWidget(preRollHint, row++, 0, 1, 2);
    grid->setRowMinimumHeight(row++, 4);
    grid->addWidget(separator(this), row++, 0, 1, 2);
    grid->setRowMinimumHeight(row++, 4);

    grid->addWidget(caption(tr("Silence"), this), row++, 0, 1, 2);
    grid->addWidget(m_skipSilenceBtn, row++, 0, 1, 2);
    grid->addWidget(formLabel(tr("Threshold"), m_thresholdSlider, this), row, 0);
    grid->addWidget(m_thresholdSlider, row++, 1);
    grid->addWidget(formLabel(tr("Input level"), m_levelIndicator, this), row, 0);
    auto* meterRow = new QHBoxLayout;
    meterRow->setContentsMargins(kHandleInset, 0, kHandleInset, 0);
    meterRow->addWidget(m_levelIndicator);
    grid->addLayout(meterRow, row++, 1);
    QLabel* silenceHint = hint(tr("Long quiet stretches are left out of the recording. "
                                  "Sound that stays left of the red mark counts as quiet."),
                               this);
    silenceHint->setContentsMargins(kCheckIndent, 0, 0, 0);
    grid->addWidget(silenceHint, row++, 0, 1, 2);
    grid->setRowMinimumHeight(row++, 4);
    grid->addWidget(separator(this), row++, 0, 1, 2);
    grid->setRowMinimumHeight(row++, 4);

    grid->addWidget(caption(tr("Hot Keys"), this), row++, 0, 1, 2);
    grid->addWidget(m_useHotKeysBtn, row++, 0, 1, 2);
    m_hotKeys->setContentsMargins(kCheckIndent, 0, 0, 0);
    grid->addWidget(m_hotKeys, row++, 0, 1, 2);
    grid->setRowMinimumHeight(row++, 4);
    grid->addWidget(m_startAtLoginBtn, row++, 0, 1, 2);
    grid->setRowStretch(row, 1);

    column->addLayout(grid, 1);
}

bool PreferencesView::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_preRollLabel && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        m_preRollBtn->click();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void PreferencesView::setFolderChooser(FolderChooser chooser)
{
    m_folderChooser = chooser ? std::move(chooser) : FolderChooser(defaultChooser);
}

void PreferencesView::setInputDevices(const QStringList& names, const QString& mixedName)
{
    m_devicesPopUp->clear();
    m_devicesPopUp->addItems(names);
    // Long device names are cut off in the closed pop-up.
    for (int i = 0; i < m_devicesPopUp->count(); ++i)
        m_devicesPopUp->setItemData(i, m_devicesPopUp->itemText(i), Qt::ToolTipRole);
    if (mixedName.isEmpty())
        return;
    m_devicesPopUp->addItem(tr("Microphone and computer sound"), mixedName);
    m_devicesPopUp->setItemData(
        m_devicesPopUp->count() - 1,
        tr("The default microphone and what the default output plays, recorded together"),
        Qt::ToolTipRole);
}

void PreferencesView::selectDevice(const QString& name)
{
    if (name.isNull())
        return;
    // A stored device that is not connected now leaves no item selected
    // rather than showing another device as the one in use.
    const int mixed = m_devicesPopUp->findData(name);
    m_devicesPopUp->setCurrentIndex(
        mixed >= 0 ? mixed
                   : m_devicesPopUp->findText(name, Qt::MatchExactly | Qt::MatchCaseSensitive));
}

void PreferencesView::setOutputFolder(const QString& path)
{
    if (path.isNull())
        return;
    m_outputFolder = path;
    const QString clean = QDir::cleanPath(path);
    QString title = QFileInfo(clean).fileName();
    if (title.isEmpty())
        title = clean;
    m_outputPopUp->clear();
    m_outputPopUp->addItem(folderIcon(clean), title);
    m_outputPopUp->setItemData(0, QDir::toNativeSeparators(clean), Qt::ToolTipRole);
    m_outputPopUp->insertSeparator(1);
    m_outputPopUp->addItem(tr(kOtherTitle));
    m_outputPopUp->setCurrentIndex(0);
    m_outputPopUp->setToolTip(QDir::toNativeSeparators(clean));
}

void PreferencesView::setSkipSilence(bool skip)
{
    m_skipSilenceBtn->setChecked(skip);
    skipSilenceChanged();
}

void PreferencesView::setSoundThreshold(float threshold)
{
    m_thresholdSlider->setDoubleValue(threshold);
    soundThresholdChanged();
}

void PreferencesView::setRecQuality(int quality)
{
    {
        const QSignalBlocker blocker(m_qualitySlider);
        m_qualitySlider->setValue(std::clamp(quality, 1, 3));
    }
    qualityChanged();
}

void PreferencesView::setUseHotKeys(bool use)
{
    m_useHotKeysBtn->setChecked(use);
}

void PreferencesView::setStartAtLogin(bool start)
{
    m_startAtLoginBtn->setChecked(start);
}

void PreferencesView::setCurrent(bool current)
{
    m_isCurrent = current;
    showInputLevel(m_isCurrent && m_skipSilenceBtn->isChecked());
}

void PreferencesView::inputDeviceChanged()
{
    if (!m_appDelegate || m_devicesPopUp->currentIndex() < 0)
        return;
    // Another device ends the running capture; the meter restarts on the
    // new one instead of freezing at the old device's last level.
    const bool levelShown = isLevelShown();
    if (levelShown)
        showInputLevel(false);
    const QVariant mixedName = m_devicesPopUp->currentData();
    m_appDelegate->setInputDevice(mixedName.isValid() ? mixedName.toString()
                                                      : m_devicesPopUp->currentText());
    if (levelShown)
        showInputLevel(true);
}

void PreferencesView::outputFolderChanged()
{
    // The last item is "Other..."; compared by place, so that a folder that
    // happens to be called so is not taken for it.
    const int other = m_outputPopUp->count() - 1;
    if (other <= 0 || m_outputPopUp->currentIndex() != other)
        return;
    m_outputPopUp->setCurrentIndex(0);

    const QString current = QDir::cleanPath(m_outputFolder);
    const QString start = QFileInfo(current).dir().path();
    m_inOpenDialog = true;
    const QString chosen = m_folderChooser(this, start);
    m_inOpenDialog = false;
    if (chosen.isEmpty())
        return;
    setOutputFolder(chosen);
    if (m_appDelegate)
        m_appDelegate->outputFolderChanged(chosen);
}

void PreferencesView::skipSilenceChanged()
{
    const bool on = m_skipSilenceBtn->isChecked();
    if (m_appDelegate)
        m_appDelegate->setSkipSilence(on);
    m_thresholdSlider->setEnabled(on);
    m_levelIndicator->setEnabled(on);
    showInputLevel(m_isCurrent && on);
}

void PreferencesView::soundThresholdChanged()
{
    const auto threshold = float(m_thresholdSlider->doubleValue());
    if (m_appDelegate)
        m_appDelegate->setSoundThreshold(threshold);
    m_levelIndicator->setThreshold(threshold);
}

void PreferencesView::useHotKeysChanged()
{
    if (m_appDelegate)
        m_appDelegate->setUseHotKeys(m_useHotKeysBtn->isChecked());
}

void PreferencesView::setPreRoll(int seconds)
{
    const QSignalBlocker blocker(m_preRollSeconds);
    m_preRollBtn->setChecked(seconds > 0);
    if (seconds > 0)
        m_preRollSeconds->setValue(seconds);
    preRollChanged();
}

void PreferencesView::preRollChanged()
{
    m_preRollSeconds->setEnabled(m_preRollBtn->isChecked());
    // The level meter's capture and the listening one cannot share the device.
    const bool meter = isLevelShown();
    if (meter)
        showInputLevel(false);
    if (m_appDelegate)
        m_appDelegate->setPreRoll(m_preRollBtn->isChecked() ? m_preRollSeconds->value() : 0);
    if (meter)
        showInputLevel(true);
}

void PreferencesView::qualityChanged()
{
    // The capture that feeds the meter must stop before the format changes.
    const bool skip = m_skipSilenceBtn->isChecked();
    if (skip)
        showInputLevel(false);
    if (m_appDelegate)
        m_appDelegate->setRecQuality(m_qualitySlider->value());
    if (skip && m_isCurrent)
        showInputLevel(true);
}

void PreferencesView::showInputLevel(bool show)
{
    const bool recording = m_appDelegate && m_appDelegate->isRecording();
    if (show) {
        // During a real recording the meter shows that recording's level.
        if (m_appDelegate && !recording && !m_pseudoRecording) {
            m_appDelegate->startPseudoRecord();
            m_pseudoRecording = true;
        }
        delete m_levelTimer;
        m_levelTimer = new QTimer(this);
        m_levelTimer->setInterval(kLevelInterval);
        connect(m_levelTimer, &QTimer::timeout, this, &PreferencesView::levelTimerFire);
        m_levelTimer->start();
        return;
    }
    if (m_appDelegate && !recording && m_pseudoRecording)
        m_appDelegate->stopPseudoRecord();
    // A real recording that started meanwhile has taken the capture over.
    m_pseudoRecording = false;
    delete m_levelTimer;
    m_levelTimer = nullptr;
    m_levelIndicator->setDoubleValue(0.0);
}

void PreferencesView::levelTimerFire()
{
    if (m_appDelegate)
        m_levelIndicator->setDoubleValue(double(m_appDelegate->inputLevel()) *
                                         ThresholdIndicator::kLevelScale);
}
