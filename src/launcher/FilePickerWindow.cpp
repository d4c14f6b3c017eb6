#include "launcher/FilePickerWindow.h"

#include "ui/ToolWindow.h"

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

FilePickerWindow::FilePickerWindow(AppPaths paths, PickerTarget* target, QWidget* parent)
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

FilePickerWindow::~FilePickerWindow() = default;

void FilePickerWindow::buildUi()
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

    connect(m_drive1, &QComboBox::activated, this, [this] { driveChanged(); });
    connect(m_dir1->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& index) {
                if (index.isValid())
                    folderChosen(m_dirModel->filePath(index));
            });
    connect(m_file1->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& index) {
                if (index.isValid())
                    fileClicked(m_fileModel->fileName(index));
            });
    connect(m_file1, &QListView::clicked, this,
            [this](const QModelIndex& index) { fileClicked(m_fileModel->fileName(index)); });
    connect(m_file1, &QListView::doubleClicked, this, [this](const QModelIndex& index) {
        fileClicked(m_fileModel->fileName(index));
        registerPath();
    });
    connect(m_touroku, &QPushButton::clicked, this, [this] { registerPath(); });
    connect(m_command1, &QPushButton::clicked, this, [this] { registerClicked(); });

    for (QWidget* w : std::initializer_list<QWidget*>{m_drive1, m_dir1, m_file1, m_text1, m_touroku, m_command1})
        w->installEventFilter(this);
}

void FilePickerWindow::apply(const PickerRequest& request)
{
    setCaption(request.caption);
    setPattern(request.pattern);
    setFolder(request.folder);
}

void FilePickerWindow::setCaption(const QString& caption)
{
    setWindowTitle(caption);
}

PickerMode FilePickerWindow::mode() const
{
    return pickerModeFor(windowTitle());
}

void FilePickerWindow::setPattern(const QString& pattern)
{
    m_pattern = pattern;
    m_fileModel->setNameFilters(patternFilters(pattern));
}

QString FilePickerWindow::text1() const
{
    return m_text1->text();
}

void FilePickerWindow::setFolder(const QString& folder)
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

void FilePickerWindow::showFolderFiles(const QString& folder)
{
    m_folder = withSlash(folder);
    const QString path = withoutSlash(m_folder);
    // QFileSystemModel lists on its own thread; the view fills in as it goes.
    m_fileModel->setRootPath(path);
    m_file1->setRootIndex(m_fileModel->index(path));
}

void FilePickerWindow::setDrives(const QStringList& roots)
{
    m_drivesGiven = true;
    fillDrives(roots);
}

void FilePickerWindow::fillDrives(const QStringList& roots)
{
    const QSignalBlocker block(m_drive1);
    m_drive1->clear();
    for (const QString& root : roots)
        m_drive1->addItem(root, withSlash(root));
    selectDriveOf(m_folder);
}

QStringList FilePickerWindow::drives() const
{
    QStringList out;
    for (int i = 0; i < m_drive1->count(); ++i)
        out << m_drive1->itemText(i);
    return out;
}

void FilePickerWindow::selectDriveOf(const QString& folder)
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

void FilePickerWindow::driveChanged()
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

void FilePickerWindow::folderChosen(const QString& folder)
{
    showFolderFiles(folder);
}

void FilePickerWindow::fileClicked(const QString& name)
{
    if (name.isEmpty())
        return;
    m_text1->setText(m_folder + name);
}

RegisterResult FilePickerWindow::registerPath()
{
    PickerTarget none;
    const QString path = m_text1->text();
    const PickerMode m = mode();
    const RegisterResult result = yk::registerPath(m, path, m_target ? *m_target : none);
    recordPlace();
    return result;
}

void FilePickerWindow::recordPlace()
{
    m_tool->recordPosition();
}

void FilePickerWindow::registerClicked()
{
    recordPlace();
    Q_EMIT saveRequested();
    reject();
}

void FilePickerWindow::done(int result)
{
    recordPlace();
    QDialog::done(result);
}

void FilePickerWindow::showModal()
{
    setWindowModality(Qt::ApplicationModal);
    show();
    raise();
    activateWindow();
}

void FilePickerWindow::keyPressEvent(QKeyEvent* event)
{
    recordPlace();
    if (event->key() == Qt::Key_Escape) {
        reject();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool FilePickerWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (watched == m_text1 && (key == Qt::Key_Return || key == Qt::Key_Enter)) {
        registerPath(); // records the place itself
        return true;
    }
    recordPlace();
    if (key == Qt::Key_Escape) {
        reject();
        return true;
    }
    return false;
}

} // namespace yk
