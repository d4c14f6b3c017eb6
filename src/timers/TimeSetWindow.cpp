#include "timers/TimeSetWindow.h"

#include <QLabel>
#include <QPushButton>

#include "ui/AppIcon.h"
#include "ui/ToolWindow.h"

namespace yk {

namespace {

constexpr int kWidth = 264;
constexpr int kHeight = 104;
constexpr int kButtonWidth = 96;
constexpr int kButtonHeight = 26;
constexpr int kButtonGap = 16;

} // namespace

TimeSetWindow::TimeSetWindow(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frm_Time_Set"));
    setWindowTitle(kCaption);
    setWindowIcon(appIcon());
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setFixedSize(kWidth, kHeight);

    txt_Set = new QLabel(TimeSetFlow::kNoPresetQuestion, this);
    txt_Set->setObjectName(QStringLiteral("txt_Set"));
    txt_Set->setGeometry(12, 14, kWidth - 24, 36);
    txt_Set->setAlignment(Qt::AlignCenter);
    txt_Set->setWordWrap(true);

    const int buttonsLeft = (kWidth - 2 * kButtonWidth - kButtonGap) / 2;
    const int buttonsTop = kHeight - kButtonHeight - 16;

    cmb_Yes = new QPushButton(QStringLiteral("はい(&Y)"), this);
    cmb_Yes->setObjectName(QStringLiteral("cmb_Yes"));
    cmb_Yes->setGeometry(buttonsLeft, buttonsTop, kButtonWidth, kButtonHeight);
    cmb_Yes->setDefault(true);
    connect(cmb_Yes, &QPushButton::clicked, this, [this] { finish(TimeSetAnswer::Yes); });

    cmb_No = new QPushButton(QStringLiteral("いいえ(&N)"), this);
    cmb_No->setObjectName(QStringLiteral("cmb_No"));
    cmb_No->setGeometry(buttonsLeft + kButtonWidth + kButtonGap, buttonsTop, kButtonWidth, kButtonHeight);
    connect(cmb_No, &QPushButton::clicked, this, [this] { finish(TimeSetAnswer::No); });

    setTabOrder(cmb_Yes, cmb_No);
    m_tool = new ToolWindow(this);
}

QString TimeSetWindow::questionText() const
{
    return txt_Set->text();
}

void TimeSetWindow::ask(const QString& question, bool modal, bool topMost)
{
    txt_Set->setText(question);
    const Qt::WindowModality modality = modal ? Qt::ApplicationModal : Qt::NonModal;
    if (windowModality() != modality) {
        // Modality only changes while the window is hidden.
        if (isVisible())
            hide();
        setWindowModality(modality);
    }
    m_tool->setTopMost(topMost);
    // show(), never exec(): the caller and the clock tick go on at once.
    show();
    raise();
    activateWindow();
    cmb_Yes->setFocus(Qt::OtherFocusReason);
}

void TimeSetWindow::dismiss()
{
    hide();
}

void TimeSetWindow::reject()
{
    finish(TimeSetAnswer::Escape);
}

void TimeSetWindow::finish(TimeSetAnswer answer)
{
    // Off the screen (and out of its modality) before the answer acts, so
    // that a window the answer opens is not held behind this one.
    hide();
    setResult(answer == TimeSetAnswer::Yes ? Accepted : Rejected);
    Q_EMIT answered(answer);
}

} // namespace yk
