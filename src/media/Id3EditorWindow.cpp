#include "media/Id3EditorWindow.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QCompleter>
#include <QFont>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "media/Id3Tag.h"
#include "ui/AppIcon.h"
#include "ui/ToolWindow.h"

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
    connect(&m_loader, &QFutureWatcher<tagedit::FileTags>::finished, this, &Id3EditorWindow::finishLoad);
    connect(&m_watcher, &QFutureWatcher<tagedit::WriteResult>::finished, this, &Id3EditorWindow::finishSave);
    load();
}

Id3EditorWindow::~Id3EditorWindow()
{
    // A read or write still running finishes on its own thread; it only
    // needs the copies it was given. Its result has nobody left to tell.
    m_loader.disconnect(this);
    m_watcher.disconnect(this);
}

void Id3EditorWindow::build()
{
    m_fileNameBox = addBox(this, "txtFileName", QRect(kMargin, kMargin, kWidth - 2 * kMargin, kRowHeight));
    m_fileNameBox->setReadOnly(true);
    m_fileNameBox->setFocusPolicy(Qt::ClickFocus);

    int y = kMargin + kRowStep + 6;
    auto row = [&](const char* labelName, const QString& caption, const char* boxName) {
        addLabel(this, labelName, caption, QRect(kMargin, y, kLabelWidth, kRowHeight));
        QLineEdit* box = addBox(this, boxName, QRect(kBoxLeft, y, kBoxWidth, kRowHeight));
        y += kRowStep;
        return box;
    };
    m_titleBox = row("lbl_Title", QStringLiteral("ﾀｲﾄﾙ"), "txtTrackName");
    m_artistBox = row("lbl_Artist", QStringLiteral("ｱｰﾃｨｽﾄ名"), "txtAirtist");
    m_albumBox = row("lbl_Album", QStringLiteral("ｱﾙﾊﾞﾑ"), "txtAlubm");

    // Year and genre share a row: a four-digit box needs little room.
    addLabel(this, "lbl_Year", QStringLiteral("西暦"), QRect(kMargin, y, kLabelWidth, kRowHeight));
    m_yearBox = addBox(this, "txtYear", QRect(kBoxLeft, y, 64, kRowHeight));
    m_yearBox->installEventFilter(this);
    const int genreLabelLeft = kBoxLeft + 64 + 16;
    addLabel(this, "lbl_Genre", QStringLiteral("ｼﾞｬﾝﾙ"), QRect(genreLabelLeft, y, 44, kRowHeight));
    m_genreBox = new QComboBox(this);
    m_genreBox->setObjectName(QStringLiteral("cmb_Genre"));
    m_genreBox->setGeometry(genreLabelLeft + 48, y, kWidth - kMargin - (genreLabelLeft + 48), kRowHeight);
    // Typed as well as chosen: what is saved is the box's text (in an ID3v1
    // block the byte of the list entry it names; none for other text).
    // Typed text never joins the list.
    m_genreBox->setEditable(true);
    m_genreBox->setInsertPolicy(QComboBox::NoInsert);
    m_genreBox->setMaxVisibleItems(16);
    m_genreBox->addItems(id3::genreNames());
    m_genreBox->completer()->setCaseSensitivity(Qt::CaseSensitive);
    y += kRowStep;

    m_commentBox = row("lbl_Comment", QStringLiteral("ｺﾒﾝﾄ"), "txtComment");

    m_message = addLabel(this, "lblMessage", {}, QRect(kMargin, y, kWidth - 2 * kMargin, kRowHeight));
    m_message->setStyleSheet(QStringLiteral("color: #c00000;"));
    m_message->setWordWrap(true);

    const int buttonsTop = kHeight - kButtonHeight - kMargin - 2;
    m_saveButton = new QPushButton(QStringLiteral("保存"), this);
    m_saveButton->setObjectName(QStringLiteral("cmdWrite"));
    m_saveButton->setGeometry(kWidth - 2 * kButtonWidth - kMargin - 8, buttonsTop, kButtonWidth, kButtonHeight);
    m_saveButton->setDefault(true);
    connect(m_saveButton, &QPushButton::clicked, this, &Id3EditorWindow::save);

    m_cancelButton = new QPushButton(QStringLiteral("キャンセル"), this);
    m_cancelButton->setObjectName(QStringLiteral("cmd_Cancel"));
    m_cancelButton->setGeometry(kWidth - kButtonWidth - kMargin, buttonsTop, kButtonWidth, kButtonHeight);
    m_cancelButton->setAutoDefault(false);
    connect(m_cancelButton, &QPushButton::clicked, this, &Id3EditorWindow::reject);

    setTabOrder(m_titleBox, m_artistBox);
    setTabOrder(m_artistBox, m_albumBox);
    setTabOrder(m_albumBox, m_yearBox);
    setTabOrder(m_yearBox, m_genreBox);
    setTabOrder(m_genreBox, m_commentBox);
    setTabOrder(m_commentBox, m_saveButton);
    setTabOrder(m_saveButton, m_cancelButton);
    m_titleBox->setFocus();
}

void Id3EditorWindow::load()
{
    m_fileNameBox->setText(m_path);
    for (QLineEdit* box : {m_titleBox, m_artistBox, m_albumBox, m_yearBox, m_commentBox})
        box->clear();
    m_genreBox->setCurrentIndex(-1);
    m_genreBox->setEditText(QString());

    m_loading = true;
    updateEnabled();
    m_loader.setFuture(tagedit::readFileTagsAsync(m_path));
}

void Id3EditorWindow::finishLoad()
{
    m_loaded = m_loader.result();
    m_loading = false;
    using Status = tagedit::FileTags::Status;
    if (m_loaded.status == Status::Unsupported || m_loaded.status == Status::Unreadable) {
        m_message->setText(tagedit::failureMessage(
            {m_loaded.status == Status::Unsupported ? tagedit::WriteResult::Status::Unsupported
                                                    : tagedit::WriteResult::Status::Unreadable,
             {}}));
    }
    updateEnabled();
    if (editable())
        m_titleBox->setFocus();

    const tagedit::Fields& f = m_loaded.fields;
    m_titleBox->setText(f.title);
    m_artistBox->setText(f.artist);
    m_albumBox->setText(f.album);
    m_yearBox->setText(f.year);
    m_commentBox->setText(f.comment);
    // A genre the list does not name (another tagger's) is offered too, so
    // it stays as it is unless another one is chosen.
    int genre = m_genreBox->findText(f.genre, Qt::MatchFixedString | Qt::MatchCaseSensitive);
    if (genre < 0 && !f.genre.isEmpty()) {
        m_genreBox->addItem(f.genre);
        genre = m_genreBox->count() - 1;
    }
    m_genreBox->setCurrentIndex(genre);
    if (genre < 0)
        m_genreBox->setEditText(QString());
}

bool Id3EditorWindow::editable() const
{
    using Status = tagedit::FileTags::Status;
    return !m_loading && m_loaded.status != Status::Unsupported && m_loaded.status != Status::Unreadable;
}

void Id3EditorWindow::updateEnabled()
{
    for (QWidget* box : std::initializer_list<QWidget*>{m_titleBox, m_artistBox, m_albumBox, m_yearBox, m_commentBox,
                                                        m_genreBox})
        box->setEnabled(editable());
    m_saveButton->setEnabled(editable() && !m_saving);
    m_cancelButton->setEnabled(!m_saving);
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
    return m_message->text();
}

void Id3EditorWindow::save()
{
    if (m_saving || !editable())
        return;
    m_message->clear();

    // Where the ID3v1 block is all there is, the box shows what the file
    // will hold: cut where a character ends and padded to the field's
    // width. Any other tag holds the whole text.
    const bool fitted = m_loaded.kind == tagedit::TagKind::Id3v1;
    auto take = [fitted](QLineEdit* box, int width) {
        if (fitted)
            box->setText(id3::fittedText(box->text(), width));
        return box->text();
    };
    tagedit::Fields after;
    after.title = take(m_titleBox, id3::kTitleWidth);
    after.artist = take(m_artistBox, id3::kArtistWidth);
    after.album = take(m_albumBox, id3::kAlbumWidth);
    after.year = take(m_yearBox, id3::kYearWidth);
    after.comment = take(m_commentBox, id3::kCommentWidth);
    after.genre = m_genreBox->currentText();

    m_saving = true;
    updateEnabled();
    m_watcher.setFuture(tagedit::writeFileTagsAsync(m_path, m_loaded, after));
}

void Id3EditorWindow::finishSave()
{
    const tagedit::WriteResult result = m_watcher.result();
    m_saving = false;
    updateEnabled();
    if (result.ok()) {
        Q_EMIT saved(m_path);
        accept();
        return;
    }
    const QString text = tagedit::failureMessage(result);
    m_message->setText(text);
    m_message->setToolTip(result.detail);
    Q_EMIT saveFailed(text);
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
    if (watched == m_yearBox && event->type() == QEvent::KeyRelease && !isNumber(m_yearBox->text()))
        m_yearBox->clear();
    return QDialog::eventFilter(watched, event);
}

} // namespace yk
