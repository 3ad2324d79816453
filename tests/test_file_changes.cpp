#include "platform/file_changes.h"
#include "platform/volumes.h"
#include "testdir.h"

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

using namespace findolin;

class TestFileChanges : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void renameAndDeleteNeverTakeAnotherFile();
    void copyWritesAWholeFileInPlace();
    void copyRefusals();
    void copyFailingHalfWayLeavesTheOldTarget();
    void userVolumes_data();
    void userVolumes();
};

namespace {

ino_t inodeOf(const QString& path) {
    struct stat st {};
    ::stat(QFile::encodeName(path).constData(), &st);
    return st.st_ino;
}

// Everything in the folder, hidden files included: a copy must leave nothing of its own behind.
QStringList entriesOf(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                                  QDir::Name);
}

// Lets the process write files no larger than the limit while it lives: the disk "fills up".
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) : oldHandler_(std::signal(SIGXFSZ, SIG_IGN)) {
        ::getrlimit(RLIMIT_FSIZE, &old_);
        const rlimit limited{bytes, old_.rlim_max};
        ::setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, oldHandler_);
    }

private:
    void (*oldHandler_)(int);
    rlimit old_{};
};

} // namespace

void TestFileChanges::renameAndDeleteNeverTakeAnotherFile() {
    TestDir dir;
    const QString a = dir.file("a.txt", "A");
    const QString b = dir.file("b.txt", "B");
    QCOMPARE(renameWithoutReplacing(a, b), std::optional<OsError>(OsError::AlreadyExists));
    QCOMPARE(contentOf(a), QByteArray("A"));
    QCOMPARE(contentOf(b), QByteArray("B"));
    QCOMPARE(renameWithoutReplacing(a, dir.path("c.txt")), std::nullopt);
    QCOMPARE(contentOf(dir.path("c.txt")), QByteArray("A"));
    QCOMPARE(deleteFile(dir.folder("ordner")), std::optional<OsError>(OsError::NotAFile));
    QVERIFY(QFileInfo(dir.path("ordner")).isDir());
    QCOMPARE(deleteFile(dir.path("weg.txt")), std::optional<OsError>(OsError::NotFound));
    const QString protectedFile = dir.file("schreibgeschützt.txt", "bleibt");
    QFile::setPermissions(protectedFile, QFileDevice::ReadOwner | QFileDevice::ReadGroup);
    QCOMPARE(deleteFile(protectedFile), std::optional<OsError>(OsError::AccessDenied));
    QCOMPARE(contentOf(protectedFile), QByteArray("bleibt"));
}

void TestFileChanges::copyWritesAWholeFileInPlace() {
    TestDir dir;
    QByteArray large(3 * 1024 * 1024 + 17, 'x');
    for (qsizetype i = 0; i < large.size(); i += 4096)
        large[i] = char('a' + i / 4096 % 26);
    const QString source = dir.file("quelle/Rechnung 042.pdf", large);
    QFile::setPermissions(source, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                      QFileDevice::ReadGroup);
    const QDateTime written = QDateTime::fromSecsSinceEpoch(1'500'000'000);
    {
        QFile file(source);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(written, QFileDevice::FileModificationTime));
    }
    const QString target = dir.folder("ziel") + "/Rechnung 042.pdf";
    QCOMPARE(copyFileReplacing(source, target), std::nullopt);
    QCOMPARE(contentOf(target), large);
    QCOMPARE(contentOf(source), large);
    // A copy keeps what the date filter and the owner go by.
    QCOMPARE(QFileInfo(target).lastModified(), written);
    QCOMPARE(QFileInfo(target).permissions() & 0x0fff, QFileInfo(source).permissions() & 0x0fff);
    QCOMPARE(entriesOf(dir.path("ziel")), QStringList{"Rechnung 042.pdf"});

    // Over an existing file: replaced whole.
    const QString other = dir.file("ziel/alt.txt", "alter Inhalt, länger als der neue");
    QCOMPARE(copyFileReplacing(dir.file("neu.txt", "neu"), other), std::nullopt);
    QCOMPARE(contentOf(other), QByteArray("neu"));

    // Onto itself, also by another spelling of its path: nothing happens to it.
    const ino_t inode = inodeOf(source);
    QCOMPARE(copyFileReplacing(source, dir.path("quelle/../quelle/Rechnung 042.pdf")),
             std::nullopt);
    QCOMPARE(contentOf(source), large);
    QCOMPARE(inodeOf(source), inode);
    QCOMPARE(entriesOf(dir.path("quelle")), QStringList{"Rechnung 042.pdf"});

    // An empty file is copied as an empty file.
    QCOMPARE(copyFileReplacing(dir.file("leer.txt"), dir.path("ziel/leer.txt")), std::nullopt);
    QVERIFY(QFileInfo(dir.path("ziel/leer.txt")).isFile());
    QCOMPARE(QFileInfo(dir.path("ziel/leer.txt")).size(), 0);
}

void TestFileChanges::copyRefusals() {
    TestDir dir;
    const QString target = dir.file("ziel/a.txt", "alt");
    QCOMPARE(copyFileReplacing(dir.path("weg.txt"), target),
             std::optional<OsError>(OsError::NotFound));
    QCOMPARE(copyFileReplacing(dir.folder("ordner"), target),
             std::optional<OsError>(OsError::NotAFile));
    QCOMPARE(contentOf(target), QByteArray("alt"));
    // A folder of the target's name is never replaced by a file.
    const QString source = dir.file("b.txt", "B");
    dir.file("ziel/b.txt/drin.txt", "drin");
    QCOMPARE(copyFileReplacing(source, dir.path("ziel/b.txt")),
             std::optional<OsError>(OsError::NotAFile));
    QCOMPARE(contentOf(dir.path("ziel/b.txt/drin.txt")), QByteArray("drin"));
    QCOMPARE(copyFileReplacing(source, dir.path("fehlt/b.txt")),
             std::optional<OsError>(OsError::NotFound));
    QCOMPARE(entriesOf(dir.path("ziel")), (QStringList{"a.txt", "b.txt"}));
}

void TestFileChanges::copyFailingHalfWayLeavesTheOldTarget() {
    TestDir dir;
    const QString source = dir.file("neu.pdf", QByteArray(1024 * 1024, 'n'));
    const QString target = dir.file("ziel/neu.pdf", "die alte Fassung");
    std::optional<OsError> failure;
    {
        const FileSizeLimit diskFull(64 * 1024);
        failure = copyFileReplacing(source, target);
    }
    QVERIFY(failure.has_value());
    QCOMPARE(contentOf(target), QByteArray("die alte Fassung"));
    QCOMPARE(entriesOf(dir.path("ziel")), QStringList{"neu.pdf"});
    // With room again the same copy goes through.
    QCOMPARE(copyFileReplacing(source, target), std::nullopt);
    QCOMPARE(contentOf(target), QByteArray(1024 * 1024, 'n'));
}

void TestFileChanges::userVolumes_data() {
    QTest::addColumn<QString>("root");
    QTest::addColumn<QByteArray>("type");
    QTest::addColumn<QByteArray>("device");
    QTest::addColumn<bool>("shown");
    QTest::newRow("the root") << "/" << QByteArray("overlay") << QByteArray("overlay") << true;
    QTest::newRow("home partition")
        << "/home" << QByteArray("ext4") << QByteArray("/dev/sda3") << true;
    QTest::newRow("usb stick") << "/media/anna/STICK" << QByteArray("vfat")
                               << QByteArray("/dev/sdb1") << true;
    QTest::newRow("usb stick under /run/media")
        << "/run/media/anna/STICK" << QByteArray("vfat") << QByteArray("/dev/sdb1") << true;
    QTest::newRow("network share")
        << "/srv/rech" << QByteArray("cifs") << QByteArray("//server/rech") << true;
    QTest::newRow("processes") << "/proc" << QByteArray("proc") << QByteArray("proc") << false;
    QTest::newRow("memory") << "/run/user/1000" << QByteArray("tmpfs") << QByteArray("tmpfs")
                            << false;
    QTest::newRow("boot partition")
        << "/boot/efi" << QByteArray("vfat") << QByteArray("/dev/sda1") << false;
    QTest::newRow("a snap") << "/var/snap/x" << QByteArray("squashfs") << QByteArray("/dev/loop3")
                            << false;
    QTest::newRow("a file bound in")
        << "/etc/hosts" << QByteArray("ext4") << QByteArray("/dev/sda1") << false;
    QTest::newRow("a name like /procedures")
        << "/procedures" << QByteArray("ext4") << QByteArray("/dev/sdc1") << true;
}

void TestFileChanges::userVolumes() {
    QFETCH(QString, root);
    QFETCH(QByteArray, type);
    QFETCH(QByteArray, device);
    QFETCH(bool, shown);
    QCOMPARE(isUserVolume({root, {}, type, device}), shown);
}

QTEST_GUILESS_MAIN(TestFileChanges)
#include "test_file_changes.moc"
