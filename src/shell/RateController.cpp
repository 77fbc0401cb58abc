// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/RateController.h"

#include "shell/LinkOpener.h"
#include "widgets/Images.h"

#include <QDateTime>
#include <QDialog>
#include <QEvent>
#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QUrl>
#include <QVBoxLayout>
#include <QXmlStreamReader>

namespace {

const QString kFirstStartKey = QStringLiteral("FSD");
const QString kOfferShownKey = QStringLiteral("ASO");

} // namespace

RateController::RateController(QObject* parent)
    : QObject(parent), m_now([] { return double(QDateTime::currentMSecsSinceEpoch()) / 1000.0; }),
      m_linkOpener(LinkOpener::open)
{
    buildPanel();
}

RateController::~RateController()
{
    if (m_ratePanel) {
        m_ratePanel->removeEventFilter(this);
        delete m_ratePanel;
    }
}

void RateController::setClock(std::function<double()> now)
{
    m_now = std::move(now);
}

void RateController::setLinkOpener(std::function<bool(const QUrl&)> opener)
{
    m_linkOpener = std::move(opener);
}

QUrl RateController::storePage()
{
    return QUrl(QStringLiteral("appstream://io.github.voicetray.VoiceTray"));
}

QUrl RateController::homePage()
{
    QFile metainfo(QStringLiteral(":/metainfo/io.github.voicetray.VoiceTray.metainfo.xml"));
    if (!metainfo.open(QIODevice::ReadOnly))
        return QUrl();
    QXmlStreamReader xml(&metainfo);
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == u"url" &&
            xml.attributes().value(QStringLiteral("type")) == u"homepage")
            return QUrl(xml.readElementText().trimmed());
    }
    return QUrl();
}

void RateController::buildPanel()
{
    m_ratePanel = new QDialog(nullptr, Qt::Dialog | Qt::WindowCloseButtonHint);
    m_ratePanel->setWindowTitle(tr("Rate VoiceTray"));
    m_ratePanel->setWindowModality(Qt::ApplicationModal);

    auto* icon = new QLabel(m_ratePanel);
    icon->setPixmap(Images::pixmap(QStringLiteral("voicetray.png")));
    icon->setAlignment(Qt::AlignTop);
    auto* text = new QLabel(
        tr("<b>Enjoying VoiceTray?</b><br><br>If it is useful to you, please take a moment "
           "to rate it in your software centre. Thank you for your support!"),
        m_ratePanel);
    text->setWordWrap(true);
    text->setMinimumWidth(260);

    auto* noThanksBtn = new QPushButton(tr("No, Thanks"), m_ratePanel);
    noThanksBtn->setAutoDefault(false);
    m_rateBtn = new QPushButton(tr("Rate VoiceTray"), m_ratePanel);
    m_rateBtn->setDefault(true);
    connect(noThanksBtn, &QPushButton::clicked, this, &RateController::noThanks);
    connect(m_rateBtn, &QPushButton::clicked, this, &RateController::rateApp);

    auto* top = new QHBoxLayout;
    top->setSpacing(16);
    top->addWidget(icon);
    top->addWidget(text, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(noThanksBtn);
    buttons->addWidget(m_rateBtn);
    auto* layout = new QVBoxLayout(m_ratePanel);
    layout->setContentsMargins(20, 20, 20, 16);
    layout->setSpacing(18);
    layout->addLayout(top);
    layout->addLayout(buttons);

    m_ratePanel->installEventFilter(this);
}

void RateController::offerRateApp()
{
    QSettings defaults;
    if (defaults.status() != QSettings::NoError || !m_ratePanel)
        return;
    if (defaults.value(kOfferShownKey, false).toBool())
        return;

    const double now = m_now();
    const double first = defaults.value(kFirstStartKey, 0.0).toDouble();
    if (first == 0.0) {
        defaults.setValue(kFirstStartKey, now);
        defaults.sync();
        return;
    }
    if (now - first > kDelaySeconds) {
        m_ratingFailed = false;
        m_ratePanel->exec();
        if (!m_ratingFailed) {
            defaults.setValue(kOfferShownKey, true);
            defaults.sync();
        }
    }
}

void RateController::rateApp()
{
    m_ratingFailed = !m_linkOpener(storePage()) && !m_linkOpener(homePage());
    if (m_ratePanel)
        m_ratePanel->accept();
}

void RateController::noThanks()
{
    if (m_ratePanel)
        m_ratePanel->reject();
}

void RateController::offerWindowWillClose()
{
    noThanks();
}

bool RateController::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_ratePanel && event->type() == QEvent::Close)
        offerWindowWillClose();
    return QObject::eventFilter(watched, event);
}
