#include "media/Id3EditorWindow.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QCompleter>
#include <QFont>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "shell/AppIcon.h"
#include "shell/ToolWindow.h"

namespace yk {

namespace {

constexpr int kWidth = 384;
constexpr int kHeight = 262;
constexpr int kMargin = 8;
constexpr int kLabelWidth = 76;
constexpr int kBoxLeft = kMargin + kLabelWidth + 4;
constexpr int kBoxWidth = kWidth - kBoxLeft - kMargin;
constexpr int kRowHeight = 24;
constexpr int kRowStep = 30;
constexpr int kButtonWidth = 96;
constexpr int kButtonHeight = 26;

QFont windowFont()
{
    // The labels are Japanese (half-width kana among them): the CJK face
    // first, so every label is drawn in one face.
    QFont f;
    f.setFamilies({QStringLiteral("Noto Sans CJK JP"), QStringLiteral("Noto Sans JP"), QStringLiteral("IPAGothic"),
                   QStringLiteral("DejaVu Sans")});
    f.setPixelSize(12);
    return f;
}

QLabel* addLabel(QWidget* parent, const char* name, const QString& text, QRect where)
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setGeometry(where);
    l->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    return l;
}

QLineEdit* addBox(QWidget* parent, const char* name, QRect where)
{
    auto* e = new QLineEdit(parent);
    e->setObjectName(QString::fromLatin1(name));
    e->setGeometry(where);
    return e;
}

} // namespace

TwipsPos id3EditorPlace(TwipsPos main, QSize editorTwips, const WorkAreaTwips& work)
{
    // Compared doubled: the halves of an odd work area are not whole twips.
    const bool upperHalf = work.top + work.height >= 2 * main.top;
    const bool leftHalf = work.left + work.width >= 2 * main.left;
    TwipsPos at;
    at.top = upperHalf ? main.top + kId3MainSide : main.top - editorTwips.height();
    at.left = leftHalf ? main.left : main.left + kId3MainSide - editorTwips.width();
    return at;
}

Id3EditorWindow::Id3EditorWindow(const QString& path, QWidget* parent)
    : QDialog(parent)
    , m_path(path)
{
    setObjectName(QStringLiteral("frm_Id3"));
    setWindowTitle(kCaption);
    setWindowIcon(appIcon());
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setFont(windowFont());
    setFixedSize(kWidth, kHeight);
    build();
    m_tool = new ToolWindow(this);
    connect(&m_watcher, &QFutureWatcher<id3::WriteResult>::finished, this, &Id3EditorWindow::finishSave);
    load();
}

Id3EditorWindow::~Id3EditorWindow()
{
    // A write still running finishes on its own thread; it only needs the
    // copies it was given. Its result has nobody left to tell.
    m_watcher.disconnect(this);
}

void Id3EditorWindow::build()
{
    txtFileName = addBox(this, "txtFileName", QRect(kMargin, kMargin, kWidth - 2 * kMargin, kRowHeight));
    txtFileName->setReadOnly(true);
    txtFileName->setFocusPolicy(Qt::ClickFocus);

    int y = kMargin + kRowStep + 6;
    auto row = [&](const char* labelName, const QString& caption, const char* boxName) {
        addLabel(this, labelName, caption, QRect(kMargin, y, kLabelWidth, kRowHeight));
        QLineEdit* box = addBox(this, boxName, QRect(kBoxLeft, y, kBoxWidth, kRowHeight));
        y += kRowStep;
        return box;
    };
    txtTrackName = row("lbl_Title", QStringLiteral("ﾀｲﾄﾙ"), "txtTrackName");
    txtAirtist = row("lbl_Artist", QStringLiteral("ｱｰﾃｨｽﾄ名"), "txtAirtist");
    txtAlubm = row("lbl_Album", QStringLiteral("ｱﾙﾊﾞﾑ"), "txtAlubm");

    // Year and genre share a row: a four-digit box needs little room.
    addLabel(this, "lbl_Year", QStringLiteral("西暦"), QRect(kMargin, y, kLabelWidth, kRowHeight));
    txtYear = addBox(this, "txtYear", QRect(kBoxLeft, y, 64, kRowHeight));
    txtYear->installEventFilter(this);
    const int genreLabelLeft = kBoxLeft + 64 + 16;
    addLabel(this, "lbl_Genre", QStringLiteral("ｼﾞｬﾝﾙ"), QRect(genreLabelLeft, y, 44, kRowHeight));
    cmb_Genre = new QComboBox(this);
    cmb_Genre->setObjectName(QStringLiteral("cmb_Genre"));
    cmb_Genre->setGeometry(genreLabelLeft + 48, y, kWidth - kMargin - (genreLabelLeft + 48), kRowHeight);
    // Typed as well as chosen: the saved byte comes from the box's text,
    // and an emptied box saves no genre (0). Typed text never joins the list.
    cmb_Genre->setEditable(true);
    cmb_Genre->setInsertPolicy(QComboBox::NoInsert);
    cmb_Genre->setMaxVisibleItems(16);
    cmb_Genre->addItems(id3::genreNames());
    cmb_Genre->completer()->setCaseSensitivity(Qt::CaseSensitive);
    y += kRowStep;

    txtComment = row("lbl_Comment", QStringLiteral("ｺﾒﾝﾄ"), "txtComment");

    lblMessage = addLabel(this, "lblMessage", {}, QRect(kMargin, y, kWidth - 2 * kMargin, kRowHeight));
    lblMessage->setStyleSheet(QStringLiteral("color: #c00000;"));
    lblMessage->setWordWrap(true);

    const int buttonsTop = kHeight - kButtonHeight - kMargin - 2;
    cmdWrite = new QPushButton(QStringLiteral("保存"), this);
    cmdWrite->setObjectName(QStringLiteral("cmdWrite"));
    cmdWrite->setGeometry(kWidth - 2 * kButtonWidth - kMargin - 8, buttonsTop, kButtonWidth, kButtonHeight);
    cmdWrite->setDefault(true);
    connect(cmdWrite, &QPushButton::clicked, this, &Id3EditorWindow::save);

    cmd_Cancel = new QPushButton(QStringLiteral("キャンセル"), this);
    cmd_Cancel->setObjectName(QStringLiteral("cmd_Cancel"));
    cmd_Cancel->setGeometry(kWidth - kButtonWidth - kMargin, buttonsTop, kButtonWidth, kButtonHeight);
    cmd_Cancel->setAutoDefault(false);
    connect(cmd_Cancel, &QPushButton::clicked, this, &Id3EditorWindow::reject);

    setTabOrder(txtTrackName, txtAirtist);
    setTabOrder(txtAirtist, txtAlubm);
    setTabOrder(txtAlubm, txtYear);
    setTabOrder(txtYear, cmb_Genre);
    setTabOrder(cmb_Genre, txtComment);
    setTabOrder(txtComment, cmdWrite);
    setTabOrder(cmdWrite, cmd_Cancel);
    txtTrackName->setFocus();
}

void Id3EditorWindow::load()
{
    txtFileName->setText(m_path);
    for (QLineEdit* box : {txtTrackName, txtAirtist, txtAlubm, txtYear, txtComment})
        box->clear();
    cmb_Genre->setCurrentIndex(-1);
    cmb_Genre->setEditText(QString());

    // 128 bytes at the end of one file: quick enough to read here.
    const std::optional<id3::Tag> tag = id3::readTag(m_path);
    if (!tag)
        return;
    txtTrackName->setText(tag->title);
    txtAirtist->setText(tag->artist);
    txtAlubm->setText(tag->album);
    txtYear->setText(tag->year);
    txtComment->setText(tag->comment);
    const int genre = id3::genreIndexForByte(tag->genre);
    cmb_Genre->setCurrentIndex(genre);
    if (genre < 0)
        cmb_Genre->setEditText(QString());
}

bool Id3EditorWindow::isNumber(const QString& text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return text.isEmpty();
    bool ok = false;
    const double value = trimmed.toDouble(&ok);
    return ok && qIsFinite(value); // "inf" and "nan" are words, not years
}

QString Id3EditorWindow::message() const
{
    return lblMessage->text();
}

void Id3EditorWindow::save()
{
    if (m_saving)
        return;
    lblMessage->clear();

    // The box shows what the file will hold: cut where a character ends
    // and padded to the field's width.
    auto fit = [](QLineEdit* box, int width) {
        box->setText(id3::fittedText(box->text(), width));
        return box->text();
    };
    id3::Tag tag;
    tag.title = fit(txtTrackName, id3::kTitleWidth);
    tag.artist = fit(txtAirtist, id3::kArtistWidth);
    tag.album = fit(txtAlubm, id3::kAlbumWidth);
    tag.year = fit(txtYear, id3::kYearWidth);
    tag.comment = fit(txtComment, id3::kCommentWidth);
    tag.genre = id3::genreByteForName(cmb_Genre->currentText());

    setBusy(true);
    m_watcher.setFuture(id3::writeTagAsync(m_path, tag));
}

void Id3EditorWindow::finishSave()
{
    const id3::WriteResult result = m_watcher.result();
    setBusy(false);
    if (result.ok()) {
        Q_EMIT saved(m_path);
        accept();
        return;
    }
    const QString text = id3::failureMessage(result);
    lblMessage->setText(text);
    lblMessage->setToolTip(result.detail);
    Q_EMIT saveFailed(text);
}

void Id3EditorWindow::setBusy(bool busy)
{
    m_saving = busy;
    cmdWrite->setEnabled(!busy);
    cmd_Cancel->setEnabled(!busy);
}

void Id3EditorWindow::reject()
{
    if (!m_saving)
        QDialog::reject();
}

void Id3EditorWindow::closeEvent(QCloseEvent* event)
{
    if (m_saving) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

bool Id3EditorWindow::eventFilter(QObject* watched, QEvent* event)
{
    // Checked after every key, whatever it was: a year typed, pasted with
    // Ctrl+V or composed through the input method is judged the same way.
    if (watched == txtYear && event->type() == QEvent::KeyRelease && !isNumber(txtYear->text()))
        txtYear->clear();
    return QDialog::eventFilter(watched, event);
}

} // namespace yk
