// The controls of the timer window and their wiring to the form.
#include "timers/TimerWindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "platform/MascotChannel.h"
#include "core/Twips.h"

namespace yk {

namespace {

using Group = TimerForm::Group;
using Box = TimerForm::Box;
using List = TimerForm::List;

// The registration part starts where the narrow form ends.
constexpr int kRight = TimerForm::kNarrowTwips / kTwipsPerPixel + 4;

template <typename W>
W* named(W* w, const char* name)
{
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

QRadioButton* option(QWidget* parent, const char* name, const QString& caption, int x, int y)
{
    auto* b = named(new QRadioButton(caption, parent), name);
    b->move(x, y);
    b->adjustSize();
    return b;
}

QLabel* label(QWidget* parent, const char* name, const QString& caption, const QRect& r)
{
    auto* l = named(new QLabel(caption, parent), name);
    l->setGeometry(r);
    return l;
}

QLineEdit* timeBox(QWidget* parent, const char* name, const QString& accessible, const QRect& r)
{
    auto* e = named(new QLineEdit(QStringLiteral("00"), parent), name);
    e->setAccessibleName(accessible);
    e->setMaxLength(2);
    e->setAlignment(Qt::AlignRight);
    e->setGeometry(r);
    return e;
}

QPushButton* button(QWidget* parent, const char* name, const QString& caption, const QRect& r)
{
    auto* b = named(new QPushButton(caption, parent), name);
    b->setGeometry(r);
    b->setAutoDefault(false);
    return b;
}

// A focus label lies under its group's controls and takes the clicks that
// reach no control, so a click anywhere in a grey group wakes it.
QLabel* focusLabel(QGroupBox* frame, const char* name)
{
    auto* l = named(new QLabel(frame), name);
    l->setGeometry(frame->rect().adjusted(2, 14, -2, -2));
    l->lower();
    return l;
}

} // namespace

void TimerWindow::buildTimerPart()
{
    m_fla1 = named(new QGroupBox(QStringLiteral("簡易設定"), this), "fla_1");
    m_fla1->setGeometry(6, 4, 243, 50);
    m_focas1 = focusLabel(m_fla1, "lbl_Focas_1");
    m_opt3 = option(m_fla1, "opt_3M", QStringLiteral(" ３分後"), 10, 22);
    m_opt5 = option(m_fla1, "opt_5M", QStringLiteral(" ５分後"), 88, 22);
    m_opt10 = option(m_fla1, "opt_10M", QStringLiteral("10分後"), 166, 22);

    m_fla3 = named(new QGroupBox(QStringLiteral("詳細設定"), this), "fla_3");
    m_fla3->setGeometry(6, 58, 243, 52);
    m_focas2 = focusLabel(m_fla3, "lbl_Focas_2");
    m_txtH = timeBox(m_fla3, "txt_H", QStringLiteral("時間"), QRect(14, 20, 32, 24));
    m_lblPoint = label(m_fla3, "lbl_Point", QStringLiteral("時間"), QRect(50, 22, 40, 20));
    m_txtM = timeBox(m_fla3, "txt_M", QStringLiteral("分"), QRect(92, 20, 32, 24));
    m_lblFungo = label(m_fla3, "lbl_Fungo", QStringLiteral("分後"), QRect(128, 22, 40, 20));

    m_fla2 = named(new QGroupBox(QStringLiteral("時間設定"), this), "fla_2");
    m_fla2->setGeometry(6, 114, 243, 52);
    m_focas3 = focusLabel(m_fla2, "lbl_Focas_3");
    m_optAm = option(m_fla2, "opt_AM", QStringLiteral("AM"), 10, 23);
    m_optPm = option(m_fla2, "opt_PM", QStringLiteral("PM"), 60, 23);
    m_txtH2 = timeBox(m_fla2, "txt_H_2", QStringLiteral("時"), QRect(114, 20, 32, 24));
    m_lblPoint2 = label(m_fla2, "lbl_Point_2", QStringLiteral("："), QRect(148, 22, 14, 20));
    m_txtM2 = timeBox(m_fla2, "txt_M_2", QStringLiteral("分"), QRect(164, 20, 32, 24));

    m_set = button(this, "cmb_Set", TimerForm::kUnsetCaption, QRect(6, 172, 243, 32));
    m_next = button(this, "cmb_Next", QStringLiteral(" 追加画面 >>"), QRect(6, 208, 243, 26));
    m_timeOff = named(new QCheckBox(QStringLiteral("強制的にMsgBox使用"), this), "cek_Time_Off");
    m_timeOff->move(10, 242);
    m_timeOff->adjustSize();
    m_exitWin = named(new QCheckBox(QStringLiteral("Windowsの終了"), this), "cek_Exit_Win");
    m_exitWin->move(10, 266);
    m_exitWin->adjustSize();

    for (QGroupBox* frame : {m_fla1, m_fla3, m_fla2})
        frame->installEventFilter(this);
    for (QLabel* focas : {m_focas1, m_focas2, m_focas3})
        focas->installEventFilter(this);

    const auto quick = [this](TimerForm::Quick q) {
        return [this, q] {
            m_form.chooseQuick(q);
            showForm();
        };
    };
    connect(m_opt3, &QRadioButton::clicked, this, quick(TimerForm::Quick::M3));
    connect(m_opt5, &QRadioButton::clicked, this, quick(TimerForm::Quick::M5));
    connect(m_opt10, &QRadioButton::clicked, this, quick(TimerForm::Quick::M10));
    const auto half = [this](TimerForm::Half h) {
        return [this, h] {
            m_form.chooseHalf(h);
            showForm();
        };
    };
    connect(m_optAm, &QRadioButton::clicked, this, half(TimerForm::Half::AM));
    connect(m_optPm, &QRadioButton::clicked, this, half(TimerForm::Half::PM));
    wireBox(m_txtH, Box::H);
    wireBox(m_txtM, Box::M);
    wireBox(m_txtH2, Box::H2);
    wireBox(m_txtM2, Box::M2);

    connect(m_set, &QPushButton::clicked, this, &TimerWindow::storePreset);
    connect(m_next, &QPushButton::clicked, this, [this] { toggleWidth(true); });
    connect(m_timeOff, &QCheckBox::clicked, this, [this](bool on) {
        m_form.setChecked(RegistrationCheck::TimeOff, on);
        if (on)
            m_s.mascot.sendScript(TimerForm::kTimeOffScript);
    });
    connect(m_exitWin, &QCheckBox::clicked, this, [this](bool on) {
        m_form.setChecked(RegistrationCheck::ExitWin, on);
        if (on)
            m_s.mascot.sendScript(TimerForm::kExitWinScript);
    });
}

void TimerWindow::wireBox(QLineEdit* box, Box b)
{
    box->installEventFilter(this);
    connect(box, &QLineEdit::textEdited, this, [this, box, b](const QString& typed) {
        const bool reset = m_form.editBox(b, typed);
        showForm();
        if (reset)
            box->selectAll();
    });
}

TimerWindow::ListControls TimerWindow::buildList(List l, const QRect& frame, const QStringList& names,
                                                 const QStringList& captions)
{
    ListControls c;
    const auto name = [&names](int i) { return names.at(i); };
    c.frame = new QGroupBox(captions.at(0), this);
    c.frame->setObjectName(name(0));
    c.frame->setGeometry(frame);
    c.list = new QComboBox(c.frame);
    c.list->setObjectName(name(1));
    c.list->setEditable(true);
    c.list->setInsertPolicy(QComboBox::NoInsert);
    c.list->setGeometry(8, 20, frame.width() - 16, 24);
    for (int i = 0; i < TimerForm::kSlots; ++i)
        c.list->addItem(QString());
    c.name = new QLineEdit(c.frame);
    c.name->setObjectName(name(2));
    c.name->setReadOnly(true);
    c.name->setGeometry(8, 48, frame.width() - 130, 22);
    c.number = new QLineEdit(c.frame);
    c.number->setObjectName(name(3));
    c.number->setReadOnly(true);
    c.number->setAlignment(Qt::AlignRight);
    c.number->setAccessibleName(QStringLiteral("番号"));
    c.number->setGeometry(frame.width() - 44, 74, 36, 22);
    c.check = new QCheckBox(captions.at(1), c.frame);
    c.check->setObjectName(name(4));
    c.check->move(8, 75);
    c.check->adjustSize();
    c.browse = button(c.frame, "", captions.at(2), QRect(frame.width() - 116, 47, 54, 24));
    c.browse->setObjectName(name(5));
    c.remove = button(c.frame, "", captions.at(3), QRect(frame.width() - 60, 47, 54, 24));
    c.remove->setObjectName(name(6));

    c.list->installEventFilter(this);
    connect(c.list, &QComboBox::activated, this, [this, l](int row) {
        m_form.chooseRow(l, row);
        showForm();
    });
    const RegistrationCheck box = l == List::Programs ? RegistrationCheck::Apr : RegistrationCheck::Audio;
    connect(c.check, &QCheckBox::clicked, this, [this, box](bool on) { m_form.setChecked(box, on); });
    connect(c.browse, &QPushButton::clicked, this, [this, l] {
        const int n = m_form.number(l);
        if (n > 0 && m_s.openPicker)
            m_s.openPicker(l == List::Programs ? PickerMode::Launcher : PickerMode::TimerSound, n);
    });
    connect(c.remove, &QPushButton::clicked, this, [this, l] {
        m_form.deleteSlot(l);
        showForm();
    });
    return c;
}

void TimerWindow::buildRegistrationPart()
{
    const int w = TimerForm::kWideTwips / kTwipsPerPixel - kRight - 6;
    m_apr = buildList(List::Programs, QRect(kRight, 4, w, 102),
                      {QStringLiteral("fra_D"), QStringLiteral("cmb_Apr_Dir"), QStringLiteral("txt_Apr"),
                       QStringLiteral("txt_Apr_No"), QStringLiteral("cek_Apr"), QStringLiteral("cmb_Dir"),
                       QStringLiteral("cmd_Apr_Del")},
                      {QStringLiteral("実行ファイル登録（ランチャー）"), QStringLiteral("タイマー完了時実行"),
                       QStringLiteral("参照(&A)"), QStringLiteral("削除(&D)")});
    m_wav = buildList(List::Sounds, QRect(kRight, 110, w, 102),
                      {QStringLiteral("Fra_E"), QStringLiteral("cmb_Wav_Dir"), QStringLiteral("txt_Wav"),
                       QStringLiteral("txt_Wav_No"), QStringLiteral("cek_Audio"), QStringLiteral("cmb_Dir2"),
                       QStringLiteral("cmd_Wav_Del")},
                      {QStringLiteral("再生ファイル登録"), QStringLiteral("タイマー完了時再生"),
                       QStringLiteral("参照(&W)"), QStringLiteral("削除(&E)")});

    auto* lyrics = named(new QGroupBox(QStringLiteral("Lyrics参照フォルダ"), this), "fra_Lyrics");
    lyrics->setGeometry(kRight, 216, w, 50);
    m_lyrics = named(new QLineEdit(lyrics), "txt_Lyrics");
    m_lyrics->setAccessibleName(QStringLiteral("Lyrics参照フォルダ"));
    m_lyrics->setGeometry(8, 20, w - 112, 22);
    QPushButton* browse = button(lyrics, "cmd_Lyrics", QStringLiteral("参照"), QRect(w - 100, 19, 44, 24));
    QPushButton* clear = button(lyrics, "cmd_Lyrics_Del", QStringLiteral("削除"), QRect(w - 52, 19, 44, 24));
    connect(m_lyrics, &QLineEdit::textChanged, this, [this](const QString& text) { m_form.setLyricsText(text); });
    connect(browse, &QPushButton::clicked, this, &TimerWindow::chooseLyricsFolder);
    connect(clear, &QPushButton::clicked, m_lyrics, &QLineEdit::clear);

    auto* colours = named(new QGroupBox(QStringLiteral("配色設定"), this), "fla_Color");
    colours->setGeometry(kRight, 270, w, 46);
    static const char* const kNames[] = {"cmd_Y", "cmd_M", "cmd_T", "cmd_Sun", "cmd_W_D", "cmd_Sat"};
    const QStringList captions{QStringLiteral("年"),   QStringLiteral("月"),   QStringLiteral("時間"),
                               QStringLiteral("休日"), QStringLiteral("平日"), QStringLiteral("土曜")};
    const int each = (w - 16) / 6;
    for (int i = 0; i < 6; ++i) {
        QPushButton* b = button(colours, kNames[i], captions.at(i), QRect(8 + i * each, 18, each - 2, 22));
        const QString name = b->objectName();
        connect(b, &QPushButton::clicked, this, [this, name] {
            if (m_s.chooseColour)
                m_s.chooseColour(name, this);
        });
    }
}

} // namespace yk
