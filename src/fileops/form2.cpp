#include "fileops/form2.h"

#include "app/form1.h"
#include "fileops/file_operations.h"
#include "navigation/site_folders.h"
#include "platform/dialogs.h"
#include "platform/paths.h"
#include "platform/volumes.h"

#include <QComboBox>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTreeView>
#include <QVBoxLayout>

namespace findolin {

Form2::Form2(Form1& form, FileOperations& fileOperations)
    : QDialog(&form), Drive1(new QComboBox(this)), Dir1(new QTreeView(this)),
      Label1(new QLabel(this)), Command1(new QPushButton(QStringLiteral("OK"), this)), f(form),
      fileOperations_(fileOperations), folders_(new QFileSystemModel(this)) {
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("Findolin"));
    setModal(false);
    Drive1->setObjectName(QStringLiteral("Drive1"));
    Dir1->setObjectName(QStringLiteral("Dir1"));
    Label1->setObjectName(QStringLiteral("Label1"));
    Command1->setObjectName(QStringLiteral("Command1"));
    Drive1->setAccessibleName(QStringLiteral("Laufwerk"));
    Dir1->setAccessibleName(QStringLiteral("Ordner"));

    // On Linux every volume is a folder of the one tree, so the tree shows all of it and the
    // drive list jumps to a volume's root.
    folders_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);
    folders_->setReadOnly(true);
    folders_->setRootPath(QDir::rootPath());
    Dir1->setModel(folders_);
    for (int column = 1; column < folders_->columnCount(); ++column)
        Dir1->hideColumn(column);
    Dir1->setHeaderHidden(true);
    Dir1->setUniformRowHeights(true);
    // A long path is cut at the label's end rather than widening the dialog.
    Label1->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    Command1->setDefault(true); // Enter anywhere in the dialog presses OK

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Command1);
    auto* column = new QVBoxLayout(this);
    column->addWidget(Drive1);
    column->addWidget(Dir1, 1);
    column->addWidget(Label1);
    column->addLayout(buttons);
    resize(440, 480);

    // Folders are read in the background; as each folder above the shown one arrives, the rows
    // move, so the shown folder is brought back into view, until the user moves on.
    connect(folders_, &QFileSystemModel::directoryLoaded, this, [this](const QString& loaded) {
        const bool above = loaded == QDir::rootPath() || scrollTarget_.startsWith(loaded + u'/');
        if (above && scrollTarget_ != loaded)
            Dir1->scrollTo(folders_->index(scrollTarget_), QAbstractItemView::PositionAtCenter);
    });
    connect(Dir1->verticalScrollBar(), &QAbstractSlider::actionTriggered, this,
            [this] { scrollTarget_.clear(); });
    connect(Drive1, &QComboBox::activated, this, &Form2::Drive1_Change);
    connect(Dir1->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this] { Dir1_Change(); });
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
}

void Form2::Form_Load() {
    const QString shown = normalFolderPath(expandProfileShorthand(f.Text2->text(), f.sites()));
    fillDriveList(shown);
    Dir1->collapseAll(); // a fresh start shows only the way to its folder
    // The drive of the folder the window shows, then the job's own start folder if it exists.
    if (!showFolder(volumeRootOf(shown)))
        showFolder(QDir::rootPath());
    showFolder(f.Kopiermodus ? f.sites().desktop : shown);
    Dir1_Change(); // also when the folder is the one chosen last time
    show();
    raise();
    activateWindow();
}

void Form2::Drive1_Change(int index) {
    const QString root = Drive1->itemData(index).toString();
    if (isVolumeReady(root) && showFolder(root))
        return;
    f.dialogs().message(QStringLiteral("Gerät nicht verfügbar!"));
    selectDriveOf(folder());
    showTarget();
}

void Form2::Dir1_Change() {
    f.Zielordner = folder();
    if (f.Zielordner != scrollTarget_)
        scrollTarget_.clear();
    selectDriveOf(f.Zielordner);
    showTarget();
}

void Form2::Command1_Click() {
    f.Zielordner = folder();
    if (f.Zielordner.isEmpty())
        return;
    // A copy that failed leaves the dialog open, to try another folder.
    if (f.Kopiermodus && !fileOperations_.copyInto(f.Zielordner))
        return;
    // With or without a copy, the window then shows the chosen folder.
    f.listFolder(f.Zielordner);
    accept();
}

QString Form2::folder() const {
    const QModelIndex current = Dir1->currentIndex();
    return current.isValid() ? folders_->filePath(current) : QString();
}

bool Form2::showFolder(const QString& path) {
    const QString clean = normalFolderPath(path);
    if (clean.isEmpty() || !QFileInfo(clean).isDir())
        return false;
    const QModelIndex index = folders_->index(clean);
    if (!index.isValid())
        return false;
    Dir1->setCurrentIndex(index);
    Dir1->expand(index);
    Dir1->scrollTo(index, QAbstractItemView::PositionAtCenter);
    scrollTarget_ = clean;
    return true;
}

void Form2::done(int result) {
    f.Kopiermodus = false;
    QDialog::done(result);
}

void Form2::fillDriveList(const QString& shownFolder) {
    Drive1->clear();
    for (const Volume& volume : mountedDrives(shownFolder))
        Drive1->addItem(driveCaption(volume), volume.rootPath);
}

void Form2::selectDriveOf(const QString& path) {
    const QString root = volumeRootOf(path);
    if (root.isEmpty())
        return;
    int index = Drive1->findData(root);
    if (index < 0) { // mounted since the list was filled
        Drive1->addItem(root, root);
        index = Drive1->count() - 1;
    }
    Drive1->setCurrentIndex(index);
}

void Form2::showTarget() {
    const QString target =
        f.Kopiermodus ? QStringLiteral("kopieren nach: ") + f.Zielordner : f.Zielordner;
    Label1->setText(target);
    Label1->setToolTip(target);
}

} // namespace findolin
