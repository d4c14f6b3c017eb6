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

    m_question = new QLabel(TimeSetFlow::kNoPresetQuestion, this);
    m_question->setObjectName(QStringLiteral("txt_Set"));
    m_question->setGeometry(12, 14, kWidth - 24, 36);
    m_question->setAlignment(Qt::AlignCenter);
    m_question->setWordWrap(true);

    const int buttonsLeft = (kWidth - 2 * kButtonWidth - kButtonGap) / 2;
    const int buttonsTop = kHeight - kButtonHeight - 16;

    m_yes = new QPushButton(QStringLiteral("はい(&Y)"), this);
    m_yes->setObjectName(QStringLiteral("cmb_Yes"));
    m_yes->setGeometry(buttonsLeft, buttonsTop, kButtonWidth, kButtonHeight);
    m_yes->setDefault(true);
    connect(m_yes, &QPushButton::clicked, this, [this] { finish(TimeSetAnswer::Yes); });

    m_no = new QPushButton(QStringLiteral("いいえ(&N)"), this);
    m_no->setObjectName(QStringLiteral("cmb_No"));
    m_no->setGeometry(buttonsLeft + kButtonWidth + kButtonGap, buttonsTop, kButtonWidth, kButtonHeight);
    connect(m_no, &QPushButton::clicked, this, [this] { finish(TimeSetAnswer::No); });

    setTabOrder(m_yes, m_no);
    m_tool = new ToolWindow(this);
}

QString TimeSetWindow::questionText() const
{
    return m_question->text();
}

void TimeSetWindow::ask(const QString& question, bool modal, bool topMost)
{
    m_question->setText(question);
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
    m_yes->setFocus(Qt::OtherFocusReason);
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
