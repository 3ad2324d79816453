#pragma once

#include <QDialog>

class QComboBox;
class QFileSystemModel;
class QLabel;
class QPushButton;
class QTreeView;

namespace findolin {

class FileOperations;
class Form1;

// The target-folder dialog. With the window's Kopiermodus set it picks the folder the captured
// file is copied into; otherwise it is the folder picker whose choice the main window lists.
// It never blocks the main window.
class Form2 : public QDialog {
    Q_OBJECT
public:
    Form2(Form1& form, FileOperations& fileOperations);

    QComboBox* Drive1;     // the mounted volumes
    QTreeView* Dir1;       // the folders of the chosen volume
    QLabel* Label1;        // where OK copies to, or the chosen folder
    QPushButton* Command1; // "OK"

    // Starts the dialog afresh for the job Kopiermodus names and brings it to the front: the
    // copy dialog opens on the desktop, the folder picker on the folder the main window shows.
    void Form_Load();
    // The user chose a volume in the drive list.
    void Drive1_Change(int index);
    void Dir1_Change();
    void Command1_Click();

    // The folder Dir1 shows; empty before one is chosen.
    QString folder() const;
    // Shows the folder in Dir1 (and its volume in Drive1), as choosing it would; false when
    // there is no such folder, and Dir1 stays where it was.
    bool showFolder(const QString& path);

protected:
    // However the dialog closes, the copy mode ends with it.
    void done(int result) override;

private:
    void fillDriveList(const QString& shownFolder);
    void selectDriveOf(const QString& path);
    void showTarget();

    Form1& f;
    FileOperations& fileOperations_;
    QFileSystemModel* folders_;
    QString scrollTarget_; // the folder last shown from here, kept in view while folders load
};

} // namespace findolin
