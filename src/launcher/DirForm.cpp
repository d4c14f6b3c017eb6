#include "launcher/DirForm.h"

#include "shell/ToolWindow.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QStorageInfo>
#include <QTreeView>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>

namespace yk {
namespace {

QString withSlash(QString folder)
{
    if (!folder.endsWith(u'/'))
        folder += u'/';
    return folder;
}

QString withoutSlash(const QString& folder)
{
    QString out = folder;
    while (out.size() > 1 && out.endsWith(u'/'))
        out.chop(1);
    return out;
}

// Runs on a worker thread: statting a mount can hang on a dead network
// share, which must not freeze the window.
QStringList scanDrives()
{
    QStringList roots;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        if (volume.isValid() && volume.isReady())
            roots << volume.rootPath();
    }
    roots.removeDuplicates();
    std::sort(roots.begin(), roots.end());
    return roots;
}

bool isReadableFolder(const QString& path)
{
    const QFileInfo info(path);
    return info.isDir() && info.isReadable() && QDir(path).isReadable();
}

} // namespace

Dir_Form::Dir_Form(AppPaths paths, PickerTarget* target, QWidget* parent)
    : QDialog(parent)
    , m_paths(std::move(paths))
    , m_tool(new ToolWindow(this))
    , m_target(target)
{
    buildUi();
    setCaption(QStringLiteral(" 背景登録"));
    setPattern(QStringLiteral("*.bmp;*.jpg;*.gif"));
    setFolder(defaultPickerFolder(m_paths));

    connect(&m_driveScan, &QFutureWatcher<QStringList>::finished, this, [this] {
        if (!m_drivesGiven)
            fillDrives(m_driveScan.result());
    });
    m_driveScan.setFuture(QtConcurrent::run(scanDrives));
}

Dir_Form::~Dir_Form() = default;

void Dir_Form::buildUi()
{
    setObjectName(QStringLiteral("Dir_Form"));
    resize(520, 380);

    m_drive1 = new QComboBox(this);
    m_drive1->setObjectName(QStringLiteral("Drive1"));
    m_drive1->setAccessibleName(QStringLiteral("ドライブ"));

    m_dirModel = new QFileSystemModel(this);
    m_dirModel->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    m_dirModel->setOption(QFileSystemModel::DontUseCustomDirectoryIcons);
    m_dir1 = new QTreeView(this);
    m_dir1->setObjectName(QStringLiteral("Dir1"));
    m_dir1->setAccessibleName(QStringLiteral("フォルダー"));
    m_dir1->setModel(m_dirModel);
    m_dir1->setHeaderHidden(true);
    for (int column = 1; column < m_dirModel->columnCount(); ++column)
        m_dir1->hideColumn(column);

    m_fileModel = new QFileSystemModel(this);
    m_fileModel->setFilter(QDir::Files | QDir::NoDotAndDotDot);
    m_fileModel->setNameFilterDisables(false);
    m_fileModel->setOption(QFileSystemModel::DontUseCustomDirectoryIcons);
    m_file1 = new QListView(this);
    m_file1->setObjectName(QStringLiteral("File1"));
    m_file1->setAccessibleName(QStringLiteral("ファイル"));
    m_file1->setModel(m_fileModel);

    m_text1 = new QLineEdit(this);
    m_text1->setObjectName(QStringLiteral("Text1"));
    m_text1->setAccessibleName(QStringLiteral("ファイルのパス"));

    m_touroku = new QPushButton(QStringLiteral("登録(&S)"), this);
    m_touroku->setObjectName(QStringLiteral("cmb_touroku"));
    m_touroku->setAccessibleName(QStringLiteral("登録"));
    m_command1 = new QPushButton(QStringLiteral("戻る(&E)"), this);
    m_command1->setObjectName(QStringLiteral("Command1"));
    m_command1->setAccessibleName(QStringLiteral("戻る"));
    // Enter belongs to the path box; no button may take it as a default.
    for (QPushButton* button : {m_touroku, m_command1}) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }

    auto* grid = new QGridLayout(this);
    grid->addWidget(m_drive1, 0, 0);
    grid->addWidget(m_dir1, 1, 0);
    grid->addWidget(m_file1, 0, 1, 2, 1);
    grid->addWidget(m_text1, 2, 0, 1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_touroku);
    buttons->addWidget(m_command1);
    grid->addLayout(buttons, 3, 0, 1, 2);

    connect(m_drive1, &QComboBox::activated, this, [this] { Drive1_Change(); });
    connect(m_dir1->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& index) {
                if (index.isValid())
                    Dir1_Change(m_dirModel->filePath(index));
            });
    connect(m_file1->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& index) {
                if (index.isValid())
                    File1_Click(m_fileModel->fileName(index));
            });
    connect(m_file1, &QListView::clicked, this,
            [this](const QModelIndex& index) { File1_Click(m_fileModel->fileName(index)); });
    connect(m_file1, &QListView::doubleClicked, this, [this](const QModelIndex& index) {
        File1_Click(m_fileModel->fileName(index));
        Touroku();
    });
    connect(m_touroku, &QPushButton::clicked, this, [this] { Touroku(); });
    connect(m_command1, &QPushButton::clicked, this, [this] { Command1_Click(); });

    for (QWidget* w : std::initializer_list<QWidget*>{m_drive1, m_dir1, m_file1, m_text1, m_touroku, m_command1})
        w->installEventFilter(this);
}

void Dir_Form::apply(const PickerRequest& request)
{
    setCaption(request.caption);
    setPattern(request.pattern);
    setFolder(request.folder);
}

void Dir_Form::setCaption(const QString& caption)
{
    setWindowTitle(caption);
}

PickerMode Dir_Form::mode() const
{
    return pickerModeFor(windowTitle());
}

void Dir_Form::setPattern(const QString& pattern)
{
    m_pattern = pattern;
    m_fileModel->setNameFilters(patternFilters(pattern));
}

QString Dir_Form::text1() const
{
    return m_text1->text();
}

void Dir_Form::setFolder(const QString& folder)
{
    const QString clean = withSlash(QDir::cleanPath(QDir::fromNativeSeparators(folder)));
    selectDriveOf(clean);
    const QString drive = m_drive1->currentData().toString();

    m_dirModel->setRootPath(drive);
    m_dir1->setRootIndex(m_dirModel->index(drive));
    showFolderFiles(clean);
    const QModelIndex index = m_dirModel->index(withoutSlash(clean));
    if (index.isValid() && index != m_dir1->rootIndex()) {
        m_dir1->setCurrentIndex(index);
        m_dir1->scrollTo(index);
    }
}

void Dir_Form::showFolderFiles(const QString& folder)
{
    m_folder = withSlash(folder);
    const QString path = withoutSlash(m_folder);
    // QFileSystemModel lists on its own thread; the view fills in as it goes.
    m_fileModel->setRootPath(path);
    m_file1->setRootIndex(m_fileModel->index(path));
}

void Dir_Form::setDrives(const QStringList& roots)
{
    m_drivesGiven = true;
    fillDrives(roots);
}

void Dir_Form::fillDrives(const QStringList& roots)
{
    const QSignalBlocker block(m_drive1);
    m_drive1->clear();
    for (const QString& root : roots)
        m_drive1->addItem(root, withSlash(root));
    selectDriveOf(m_folder);
}

QStringList Dir_Form::drives() const
{
    QStringList out;
    for (int i = 0; i < m_drive1->count(); ++i)
        out << m_drive1->itemText(i);
    return out;
}

void Dir_Form::selectDriveOf(const QString& folder)
{
    const QSignalBlocker block(m_drive1);
    // The listed drive holding the folder is the one with the longest root
    // that is a prefix of it.
    int best = -1;
    qsizetype bestLength = -1;
    for (int i = 0; i < m_drive1->count(); ++i) {
        const QString root = m_drive1->itemData(i).toString();
        if (folder.startsWith(root) && root.size() > bestLength) {
            best = i;
            bestLength = root.size();
        }
    }
    if (best < 0 && !folder.isEmpty()) {
        const QString root = QStorageInfo(folder).rootPath();
        const QString key = withSlash(root.isEmpty() ? QStringLiteral("/") : root);
        m_drive1->addItem(withoutSlash(key), key);
        best = m_drive1->count() - 1;
    }
    m_drive1->setCurrentIndex(best);
}

void Dir_Form::Drive1_Change()
{
    const QString root = m_drive1->currentData().toString();
    if (!isReadableFolder(root)) {
        // An unreadable drive (an empty card reader, a gone mount) leaves
        // everything where it was.
        selectDriveOf(m_folder);
        return;
    }
    setFolder(root);
}

void Dir_Form::Dir1_Change(const QString& folder)
{
    showFolderFiles(folder);
}

void Dir_Form::File1_Click(const QString& name)
{
    if (name.isEmpty())
        return;
    m_text1->setText(m_folder + name);
}

TourokuResult Dir_Form::Touroku()
{
    PickerTarget none;
    const QString path = m_text1->text();
    const PickerMode m = mode();
    const TourokuResult result = yk::Touroku(m, path, m_target ? *m_target : none);
    Exit_dir();
    return result;
}

void Dir_Form::Exit_dir()
{
    m_tool->recordPosition();
}

void Dir_Form::Command1_Click()
{
    Exit_dir();
    Q_EMIT saveRequested();
    reject();
}

void Dir_Form::done(int result)
{
    Exit_dir();
    QDialog::done(result);
}

void Dir_Form::showModal()
{
    setWindowModality(Qt::ApplicationModal);
    show();
    raise();
    activateWindow();
}

void Dir_Form::keyPressEvent(QKeyEvent* event)
{
    Exit_dir();
    if (event->key() == Qt::Key_Escape) {
        reject();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool Dir_Form::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (watched == m_text1 && (key == Qt::Key_Return || key == Qt::Key_Enter)) {
        Touroku(); // records the place itself
        return true;
    }
    Exit_dir();
    if (key == Qt::Key_Escape) {
        reject();
        return true;
    }
    return false;
}

} // namespace yk
