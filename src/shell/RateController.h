// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>
#include <QObject>
#include <QPointer>
#include <QPushButton>
#include <QUrl>
#include <functional>

// Asks the user once, three days after the first start, to rate VoiceTray in
// the software centre, or on the project's home page where no software centre
// takes the link. The first start is stored under "FSD" (seconds since 1970)
// and the offer, once spent, under "ASO": declining spends it, and so does a
// link that opened; a rating that opened nothing leaves it for a later start.
// Main thread only.
class RateController : public QObject
{
    Q_OBJECT
public:
    // Seconds after the first start before the offer is due; a difference of
    // exactly this many seconds is not enough.
    static constexpr double kDelaySeconds = 259200.0;

    explicit RateController(QObject* parent = nullptr);
    ~RateController() override;

    // The clock, seconds since 1970; the system clock by default.
    void setClock(std::function<double()> now);
    // Opens a link and tells whether an application took it; the desktop's
    // by default.
    void setLinkOpener(std::function<bool(const QUrl&)> opener);

    // The software centre's page of VoiceTray.
    static QUrl storePage();
    // The project's home page as the AppStream metadata names it.
    static QUrl homePage();

    QDialog* ratePanel() const { return m_ratePanel; }
    QPushButton* rateBtn() const { return m_rateBtn; }

public slots:
    // Shows the panel modally when it is due; called once per launch.
    void offerRateApp();
    // Opens the store page, or else the home page, then ends the modal run.
    void rateApp();
    void noThanks();
    // The panel's close box counts as declining.
    void offerWindowWillClose();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildPanel();

    QPointer<QDialog> m_ratePanel;
    QPointer<QPushButton> m_rateBtn;
    std::function<double()> m_now;
    std::function<bool(const QUrl&)> m_linkOpener;
    // The panel was closed by a rating that opened no link.
    bool m_ratingFailed = false;
};
