// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>
#include <functional>

class FloatSlider;
class HotKeyPreferences;
class PreferencesDelegate;
class QCheckBox;
class QComboBox;
class QLabel;
class QSlider;
class QSpinBox;
class QTimer;
class ThresholdIndicator;
class ToolbarButton;

// The preferences page of the pop-up window: input device, output folder,
// silence skipping with its threshold and a live level meter, global hot keys
// with their combinations and how they are provided, and recording quality. It keeps no settings of
// its own: every change goes at once to the preferences' controller, and the controller fills the
// page through the setters, each of which also passes its value on as the user's change would. Main
// thread only.
class PreferencesView : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kWidth = 340;
    static constexpr int kHeight = 540;
    // The polling period of the level meter, in milliseconds.
    static constexpr int kLevelInterval = 50;
    static constexpr const char* kOtherTitle = QT_TR_NOOP("Other...");

    // Asks the user for a folder, starting in the given one; answers the
    // chosen folder, or an empty string when the user cancelled.
    using FolderChooser = std::function<QString(QWidget* parent, const QString& startFolder)>;

    explicit PreferencesView(QWidget* parent = nullptr);

    // Not owned; may be null.
    void setAppDelegate(PreferencesDelegate* appDelegate) { m_appDelegate = appDelegate; }
    PreferencesDelegate* appDelegate() const { return m_appDelegate; }
    // Replaces the folder dialog, for tests; a null chooser restores it.
    void setFolderChooser(FolderChooser chooser);

    // The sources by name; with a mixed name, after them the entry that
    // records the microphone and the computer's sound together under that name.
    void setInputDevices(const QStringList& names, const QString& mixedName = {});
    // Selects the device of that name; with no such device none is selected.
    // A null name does nothing.
    void selectDevice(const QString& name);
    // A null path does nothing.
    void setOutputFolder(const QString& path);
    void setSkipSilence(bool skip);
    // Seconds kept from before a recording starts; 0 is off. Handed on.
    void setPreRoll(int seconds);
    void setSoundThreshold(float threshold);
    // Clamped to 1..3.
    void setRecQuality(int quality);
    // Only the check box; nothing is sent.
    void setUseHotKeys(bool use);
    // Only the check box; nothing is sent.
    void setStartAtLogin(bool start);
    // The page is shown in the pop-up window; the level meter runs while it
    // is current and silence skipping is on.
    void setCurrent(bool current);

    // True exactly while the folder dialog is open; the controller keeps the
    // pop-up window open meanwhile.
    bool inOpenDialog() const { return m_inOpenDialog; }
    QString outputFolder() const { return m_outputFolder; }
    bool isLevelShown() const { return m_levelTimer != nullptr; }

    QComboBox* devicesPopUp() const { return m_devicesPopUp; }
    QComboBox* outputPopUp() const { return m_outputPopUp; }
    QCheckBox* skipSilenceBtn() const { return m_skipSilenceBtn; }
    FloatSlider* thresholdSlider() const { return m_thresholdSlider; }
    ThresholdIndicator* levelIndicator() const { return m_levelIndicator; }
    // How the hot keys are provided and their two combinations.
    HotKeyPreferences* hotKeys() const { return m_hotKeys; }
    QSlider* qualitySlider() const { return m_qualitySlider; }
    QCheckBox* startAtLoginBtn() const { return m_startAtLoginBtn; }
    QCheckBox* preRollBtn() const { return m_preRollBtn; }
    QSpinBox* preRollSeconds() const { return m_preRollSeconds; }
    ToolbarButton* backBtn() const { return m_backBtn; }

public slots:
    void inputDeviceChanged();
    void outputFolderChanged();
    void skipSilenceChanged();
    void soundThresholdChanged();
    void useHotKeysChanged();
    void qualityChanged();
    void preRollChanged();

signals:
    // The back button was clicked: the controller shows the main page.
    void backClicked();
    // The user switched starting at login on or off.
    void startAtLoginChanged(bool start);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildLayout();
    void showInputLevel(bool show);
    void levelTimerFire();

    QComboBox* m_devicesPopUp;
    PreferencesDelegate* m_appDelegate = nullptr;
    QComboBox* m_outputPopUp;
    QCheckBox* m_skipSilenceBtn;
    FloatSlider* m_thresholdSlider;
    ThresholdIndicator* m_levelIndicator;
    QCheckBox* m_useHotKeysBtn;
    HotKeyPreferences* m_hotKeys;
    QSlider* m_qualitySlider;
    QCheckBox* m_startAtLoginBtn;
    QCheckBox* m_preRollBtn;
    QLabel* m_preRollLabel;
    QSpinBox* m_preRollSeconds;
    QString m_outputFolder;
    bool m_inOpenDialog = false;
    bool m_isCurrent = false;
    QTimer* m_levelTimer = nullptr;
    // This page started the capture that feeds the meter and has not
    // stopped it yet.
    bool m_pseudoRecording = false;
    ToolbarButton* m_backBtn;
    FolderChooser m_folderChooser;
};
