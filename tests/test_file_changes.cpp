#include "platform/file_changes.h"
#include "platform/folder_scan.h"
#include "platform/native_names.h"
#include "platform/paths.h"
#include "platform/read_only_file.h"
#include "platform/volumes.h"
#include "testdir.h"

#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>

using namespace findolin;

class TestFileChanges : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void renameAndDeleteNeverTakeAnotherFile();
    void copyWritesAWholeFileInPlace();
    void copyRefusals();
    void copyAcrossFileSystems();
    void copyFailingHalfWayLeavesTheOldTarget();
    void namesThatAreNotUtf8_data();
    void namesThatAreNotUtf8();
    void deleteToTheTrash_data();
    void deleteToTheTrash();
    void trashRefusals();
    void trashOfAnotherVolume();
    void userVolumes_data();
    void userVolumes();
};

namespace {

// Why the call failed, or nothing when it was done.
std::optional<OsError> failureOf(const Result<void>& done) {
    return done.ok() ? std::nullopt : std::optional(done.error());
}

ino_t inodeOf(const QString& path) {
    struct stat st {};
    ::stat(QFile::encodeName(path).constData(), &st);
    return st.st_ino;
}

// Everything in the folder, hidden files included: a copy must leave nothing of its own behind.
QStringList entriesOf(const QString& folder) {
    return QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
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

// Sets environment variables for a test and puts the old values back afterwards.
class Environment {
public:
    ~Environment() {
        for (auto it = old_.cbegin(); it != old_.cend(); ++it) {
            if (it.value())
                qputenv(it.key(), *it.value());
            else
                qunsetenv(it.key());
        }
    }
    void set(const char* name, const QByteArray& value) {
        remember(name);
        qputenv(name, value);
    }
    void unset(const char* name) {
        remember(name);
        qunsetenv(name);
    }

private:
    void remember(const char* name) {
        if (!old_.contains(name))
            old_.insert(name, qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name))
                                                              : std::nullopt);
    }
    QMap<QByteArray, std::optional<QByteArray>> old_;
};

// Files named by their bytes, which Qt's file classes cannot always name.
void writeNamed(const QByteArray& path, const QByteArray& content) {
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    QVERIFY(fd >= 0);
    QCOMPARE(::write(fd, content.constData(), content.size()), ssize_t(content.size()));
    ::close(fd);
}

QByteArray readNamed(const QByteArray& path) {
    auto file = ReadOnlyFile::open(nameFromBytes(path));
    return file ? file->read(1 << 20).value() : QByteArray("<gone>");
}

// What a Trash's note says of a trashed file: the original path as written, and whether it gives
// a deletion date of the form the desktops read.
struct TrashNote {
    QByteArray path;
    bool dated = false;
};

TrashNote noteIn(const QByteArray& trash, const QByteArray& trashedName) {
    const QList<QByteArray> lines =
        readNamed(trash + "/info/" + trashedName + ".trashinfo").split('\n');
    TrashNote note;
    if (lines.size() < 3 || lines[0] != "[Trash Info]" || !lines[1].startsWith("Path="))
        return note;
    note.path = lines[1].mid(5);
    note.dated =
        lines[2].startsWith("DeletionDate=") &&
        QDateTime::fromString(QString::fromLatin1(lines[2].mid(13)), u"yyyy-MM-ddThh:mm:ss")
            .isValid();
    return note;
}

} // namespace

void TestFileChanges::renameAndDeleteNeverTakeAnotherFile() {
    TestDir dir;
    const QString a = dir.file("a.txt", "A");
    const QString b = dir.file("b.txt", "B");
    QCOMPARE(failureOf(renameWithoutReplacing(a, b)),
             std::optional<OsError>(OsError::AlreadyExists));
    QCOMPARE(contentOf(a), QByteArray("A"));
    QCOMPARE(contentOf(b), QByteArray("B"));
    QCOMPARE(failureOf(renameWithoutReplacing(a, dir.path("c.txt"))), std::nullopt);
    QCOMPARE(contentOf(dir.path("c.txt")), QByteArray("A"));
    QCOMPARE(failureOf(deleteFile(dir.folder("ordner"))),
             std::optional<OsError>(OsError::NotAFile));
    QVERIFY(QFileInfo(dir.path("ordner")).isDir());
    QCOMPARE(failureOf(deleteFile(dir.path("weg.txt"))), std::optional<OsError>(OsError::NotFound));
    const QString protectedFile = dir.file("schreibgeschützt.txt", "bleibt");
    QFile::setPermissions(protectedFile, QFileDevice::ReadOwner | QFileDevice::ReadGroup);
    QCOMPARE(failureOf(deleteFile(protectedFile)), std::optional<OsError>(OsError::AccessDenied));
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
    QCOMPARE(failureOf(copyFile(source, target, WhenTaken::Refuse)), std::nullopt);
    QCOMPARE(contentOf(target), large);
    QCOMPARE(contentOf(source), large);
    // A copy keeps what the date filter and the owner go by.
    QCOMPARE(QFileInfo(target).lastModified(), written);
    QCOMPARE(QFileInfo(target).permissions() & 0x0fff, QFileInfo(source).permissions() & 0x0fff);
    QCOMPARE(entriesOf(dir.path("ziel")), QStringList{"Rechnung 042.pdf"});

    // Over an existing file: refused unless asked for, then replaced whole.
    const QString other = dir.file("ziel/alt.txt", "alter Inhalt, länger als der neue");
    const QString newer = dir.file("neu.txt", "neu");
    QCOMPARE(failureOf(copyFile(newer, other, WhenTaken::Refuse)),
             std::optional<OsError>(OsError::AlreadyExists));
    QCOMPARE(contentOf(other), QByteArray("alter Inhalt, länger als der neue"));
    QCOMPARE(failureOf(copyFile(newer, other, WhenTaken::Replace)), std::nullopt);
    QCOMPARE(contentOf(other), QByteArray("neu"));

    // Onto itself, also by another spelling of its path: the name is taken, and replacing it
    // does nothing to it.
    const ino_t inode = inodeOf(source);
    const QString itself = dir.path("quelle/../quelle/Rechnung 042.pdf");
    QCOMPARE(failureOf(copyFile(source, itself, WhenTaken::Refuse)),
             std::optional<OsError>(OsError::AlreadyExists));
    QCOMPARE(failureOf(copyFile(source, itself, WhenTaken::Replace)), std::nullopt);
    QCOMPARE(contentOf(source), large);
    QCOMPARE(inodeOf(source), inode);
    QCOMPARE(entriesOf(dir.path("quelle")), QStringList{"Rechnung 042.pdf"});

    // An empty file is copied as an empty file.
    QCOMPARE(
        failureOf(copyFile(dir.file("leer.txt"), dir.path("ziel/leer.txt"), WhenTaken::Refuse)),
        std::nullopt);
    QVERIFY(QFileInfo(dir.path("ziel/leer.txt")).isFile());
    QCOMPARE(QFileInfo(dir.path("ziel/leer.txt")).size(), 0);
}

void TestFileChanges::copyRefusals() {
    TestDir dir;
    const QString target = dir.file("ziel/a.txt", "alt");
    QCOMPARE(failureOf(copyFile(dir.path("weg.txt"), target, WhenTaken::Replace)),
             std::optional<OsError>(OsError::NotFound));
    QCOMPARE(failureOf(copyFile(dir.folder("ordner"), target, WhenTaken::Replace)),
             std::optional<OsError>(OsError::NotAFile));
    QCOMPARE(contentOf(target), QByteArray("alt"));
    const QString source = dir.file("b.txt", "B");
    QCOMPARE(failureOf(copyFile(source, dir.path("fehlt/b.txt"), WhenTaken::Refuse)),
             std::optional<OsError>(OsError::NotFound));

    // Only an ordinary file is ever replaced: not a folder, a link (even to a file, or to
    // nothing) or a pipe, and not a write-protected file.
    dir.file("ziel/ordner.txt/drin.txt", "drin");
    const QString linked = dir.file("woanders.txt", "woanders");
    dir.link(linked, "ziel/link.txt");
    dir.link(dir.path("nichts"), "ziel/ins-leere.txt");
    QCOMPARE(::mkfifo(QFile::encodeName(dir.path("ziel/rohr.txt")).constData(), 0600), 0);
    const QString protectedFile = dir.file("ziel/geschützt.txt", "bleibt");
    QFile::setPermissions(protectedFile, QFileDevice::ReadOwner);
    for (const WhenTaken whenTaken : {WhenTaken::Refuse, WhenTaken::Replace}) {
        for (const char* name : {"ordner.txt", "link.txt", "ins-leere.txt", "rohr.txt"}) {
            QCOMPARE(failureOf(copyFile(source, dir.path("ziel/") + name, whenTaken)),
                     std::optional<OsError>(OsError::NotAFile));
        }
    }
    QCOMPARE(failureOf(copyFile(source, protectedFile, WhenTaken::Replace)),
             std::optional<OsError>(OsError::AccessDenied));
    QCOMPARE(contentOf(dir.path("ziel/ordner.txt/drin.txt")), QByteArray("drin"));
    QCOMPARE(contentOf(linked), QByteArray("woanders"));
    QVERIFY(QFileInfo(dir.path("ziel/link.txt")).isSymLink());
    QVERIFY(QFileInfo(dir.path("ziel/ins-leere.txt")).isSymLink());
    QCOMPARE(contentOf(protectedFile), QByteArray("bleibt"));
    QCOMPARE(entriesOf(dir.path("ziel")), (QStringList{"a.txt", "geschützt.txt", "ins-leere.txt",
                                                       "link.txt", "ordner.txt", "rohr.txt"}));
}

void TestFileChanges::copyAcrossFileSystems() {
    TestDir dir;
    // A file whose size says nothing of its content: the copy reads to its true end.
    QCOMPARE(failureOf(copyFile(QStringLiteral("/proc/self/status"), dir.path("status"),
                                WhenTaken::Refuse)),
             std::nullopt);
    QVERIFY(contentOf(dir.path("status")).startsWith("Name:"));

    // Memory and disk are two file systems, between which the kernel may not copy by itself.
    QTemporaryDir memory(QStringLiteral("/dev/shm/findolin-XXXXXX"));
    struct stat disk {
    }, shared{};
    if (!memory.isValid() || ::stat(QFile::encodeName(dir.path()).constData(), &disk) != 0 ||
        ::stat(QFile::encodeName(memory.path()).constData(), &shared) != 0 ||
        disk.st_dev == shared.st_dev)
        QSKIP("no second file system here");
    const QByteArray content(2 * 1024 * 1024 + 5, 'm');
    QFile source(memory.filePath("a.pdf"));
    QVERIFY(source.open(QIODevice::WriteOnly) && source.write(content) == content.size());
    source.close();
    QCOMPARE(failureOf(copyFile(source.fileName(), dir.path("a.pdf"), WhenTaken::Refuse)),
             std::nullopt);
    QCOMPARE(contentOf(dir.path("a.pdf")), content);
    QCOMPARE(failureOf(copyFile(dir.path("a.pdf"), memory.filePath("a.pdf"), WhenTaken::Replace)),
             std::nullopt);
    QCOMPARE(contentOf(memory.filePath("a.pdf")), content);
}

void TestFileChanges::copyFailingHalfWayLeavesTheOldTarget() {
    TestDir dir;
    const QString source = dir.file("neu.pdf", QByteArray(1024 * 1024, 'n'));
    const QString target = dir.file("ziel/neu.pdf", "die alte Fassung");
    std::optional<OsError> failure;
    {
        const FileSizeLimit diskFull(64 * 1024);
        failure = failureOf(copyFile(source, target, WhenTaken::Replace));
    }
    QVERIFY(failure.has_value());
    QCOMPARE(contentOf(target), QByteArray("die alte Fassung"));
    QCOMPARE(entriesOf(dir.path("ziel")), QStringList{"neu.pdf"});
    // With room again the same copy goes through.
    QCOMPARE(failureOf(copyFile(source, target, WhenTaken::Replace)), std::nullopt);
    QCOMPARE(contentOf(target), QByteArray(1024 * 1024, 'n'));
}

void TestFileChanges::namesThatAreNotUtf8_data() {
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QString>("shown");
    const QString bad(QChar::ReplacementCharacter);
    QTest::newRow("UTF-8") << QByteArray("Grüße 𐐀.txt") << QStringLiteral("Grüße 𐐀.txt");
    QTest::newRow("Latin-1") << QByteArray("Gr\xfc\xdf"
                                           "e.txt")
                             << "Gr" + bad + bad + "e.txt";
    QTest::newRow("stray continuation") << QByteArray("a\x80\xbf") << "a" + bad + bad;
    QTest::newRow("overlong slash") << QByteArray("\xc0\xaf.txt") << bad + bad + ".txt";
    QTest::newRow("encoded surrogate") << QByteArray("\xed\xa0\x80") << bad + bad + bad;
    QTest::newRow("beyond U+10FFFF") << QByteArray("\xf4\x90\x80\x80") << bad + bad + bad + bad;
    QTest::newRow("cut short") << QByteArray("x\xe2\x82") << "x" + bad + bad;
    QTest::newRow("astral then raw")
        << QByteArray("\xf0\x90\x90\x80\xff") << QString::fromUtf8("\xf0\x90\x90\x80") + bad;
    QTest::newRow("replacement character itself") << QByteArray("\xef\xbf\xbd\xff") << bad + bad;
}

// Whatever bytes a name holds, the file is listed, read, copied, renamed and deleted by exactly
// those bytes, and shown with a replacement character for each byte that is not UTF-8.
void TestFileChanges::namesThatAreNotUtf8() {
    QFETCH(QByteArray, name);
    QFETCH(QString, shown);
    TestDir dir;
    const QByteArray folder = QFile::encodeName(dir.path());
    const int fd = ::open(folder + '/' + name, O_WRONLY | O_CREAT | O_EXCL, 0600);
    QVERIFY(fd >= 0 && ::write(fd, "Inhalt", 6) == 6);
    ::close(fd);

    const auto scan = scanFolder(dir.path());
    QVERIFY(scan && scan->files.size() == 1);
    const QString listed = scan->files.first();
    QCOMPARE(bytesOfName(listed), name);
    QCOMPARE(visibleText(listed), shown);
    const bool utf8 = QString::fromUtf8(name).toUtf8() == name;
    QCOMPARE(hasRawBytes(listed), !utf8);

    const QString path = joinPath(scan->folder, listed);
    auto file = ReadOnlyFile::open(path);
    QVERIFY(file);
    QCOMPARE(file->read(100).value(), QByteArray("Inhalt"));
    QVERIFY(isOrdinaryFile(path) && nameIsTaken(path));
    const QString alias = pathForOtherPrograms(path);
    QCOMPARE(alias == path, utf8);
    QCOMPARE(contentOf(alias), QByteArray("Inhalt"));

    QVERIFY(copyFile(path, path + "-kopie", WhenTaken::Refuse).ok());
    QVERIFY(renameWithoutReplacing(path, path + "-neu").ok());
    QVERIFY(!nameIsTaken(path));
    QVERIFY(deleteFile(path + "-neu").ok());
    const auto after = scanFolder(dir.path());
    QVERIFY(after);
    QCOMPARE(after->files, QStringList{listed + "-kopie"});
    QCOMPARE(bytesOfName(after->files.first()), name + "-kopie");
    // Qt's own removal of the test folder could not name it.
    QVERIFY(deleteFile(joinPath(scan->folder, after->files.first())).ok());
}

void TestFileChanges::deleteToTheTrash_data() {
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QString>("dataHome"); // XDG_DATA_HOME in the test's folder; empty: unset
    QTest::addColumn<QString>("trash");    // where the Trash is then, in the test's folder
    QTest::addColumn<QByteArray>("first"); // the names the file gets there, deleted twice
    QTest::addColumn<QByteArray>("second");
    const QString usual = QStringLiteral("home/.local/share/Trash");
    QTest::newRow("the usual data folder") << QByteArray("Brief.txt") << QString() << usual
                                           << QByteArray("Brief.txt") << QByteArray("Brief.txt.2");
    QTest::newRow("a data folder of its own")
        << QByteArray("Brief.txt") << "daten"
        << "daten/Trash" << QByteArray("Brief.txt") << QByteArray("Brief.txt.2");
    QTest::newRow("a relative data folder counts as none")
        << QByteArray("Brief.txt") << "=relativ" << usual << QByteArray("Brief.txt")
        << QByteArray("Brief.txt.2");
    QTest::newRow("blanks, percent, hash")
        << QByteArray("Re: 100% #1.txt") << QString() << usual << QByteArray("Re: 100% #1.txt")
        << QByteArray("Re: 100% #1.txt.2");
    QTest::newRow("not UTF-8") << QByteArray("Gr\xfc\xdf.txt") << QString() << usual
                               << QByteArray("Gr\xfc\xdf.txt") << QByteArray("Gr\xfc\xdf.txt.2");
    // The note's name adds ".trashinfo": the name is cut, between characters.
    const QByteArray long250 = QString(125, u'ä').toUtf8();
    QTest::newRow("a name too long for its note")
        << long250 << QString() << usual << long250.left(244) << long250.left(242) + ".2";
}

// A deleted file lies in the Trash whole, with a note of where it was, so that a file manager can
// put it back; deleting another file of the same name keeps the first.
void TestFileChanges::deleteToTheTrash() {
    QFETCH(QByteArray, name);
    QFETCH(QString, dataHome);
    QFETCH(QString, trash);
    QFETCH(QByteArray, first);
    QFETCH(QByteArray, second);
    TestDir dir;
    Environment environment;
    environment.set("HOME", QFile::encodeName(dir.folder("home")));
    if (dataHome.isEmpty())
        environment.unset("XDG_DATA_HOME");
    else if (dataHome.startsWith(u'='))
        environment.set("XDG_DATA_HOME", dataHome.mid(1).toUtf8());
    else
        environment.set("XDG_DATA_HOME", QFile::encodeName(dir.path(dataHome)));
    const QByteArray folder = QFile::encodeName(dir.folder("akten"));
    const QByteArray trashFolder = QFile::encodeName(dir.path(trash));
    const QByteArray original = folder + '/' + name;
    for (const QByteArray& trashed : {first, second}) {
        writeNamed(original, "Inhalt " + trashed);
        const QString path = nameFromBytes(original);
        QVERIFY(trashAvailableFor(path));
        QCOMPARE(failureOf(moveToTrash(path)), std::nullopt);
        QVERIFY(!nameIsTaken(path));
        QCOMPARE(readNamed(trashFolder + "/files/" + trashed), "Inhalt " + trashed);
        const TrashNote note = noteIn(trashFolder, trashed);
        QCOMPARE(QByteArray::fromPercentEncoding(note.path), original);
        QVERIFY(!note.path.contains(' ')); // encoded as in a URL
        QVERIFY(note.dated);
    }
    QCOMPARE(readNamed(trashFolder + "/files/" + first), "Inhalt " + first);
    for (const char* part : {"/files", "/info"}) {
        const auto scan = scanFolder(nameFromBytes(trashFolder + part));
        QVERIFY(scan);
        QCOMPARE(scan->files.size(), 2);
    }
    // The user's Trash is the user's alone.
    QCOMPARE(QFileInfo(nameFromBytes(trashFolder)).permissions() & 0x0077, 0);
    // Qt's own removal of the test folder could not name them.
    for (const QByteArray& trashed : {first, second}) {
        QVERIFY(deleteFile(nameFromBytes(trashFolder + "/files/" + trashed)).ok());
        QVERIFY(deleteFile(nameFromBytes(trashFolder + "/info/" + trashed + ".trashinfo")).ok());
    }
}

void TestFileChanges::trashRefusals() {
    TestDir dir;
    Environment environment;
    environment.set("HOME", QFile::encodeName(dir.folder("home")));
    environment.unset("XDG_DATA_HOME");
    const QString folder = dir.folder("akten/ordner");
    QCOMPARE(failureOf(moveToTrash(folder)), std::optional(OsError::NotAFile));
    QVERIFY(QFileInfo(folder).isDir());
    const QString kept = dir.file("akten/schreibgeschützt.txt", "bleibt");
    QFile::setPermissions(kept, QFileDevice::ReadOwner | QFileDevice::ReadGroup);
    QCOMPARE(failureOf(moveToTrash(kept)), std::optional(OsError::AccessDenied));
    QCOMPARE(contentOf(kept), QByteArray("bleibt"));
    QCOMPARE(failureOf(moveToTrash(dir.path("akten/fehlt.txt"))), std::optional(OsError::NotFound));
    QVERIFY(entriesOf(dir.path("home/.local/share/Trash/info")).isEmpty());

    // A home whose data folder is a file can hold no Trash: the file stays where it is.
    environment.set("XDG_DATA_HOME", QFile::encodeName(dir.file("daten", "kein Ordner")));
    const QString file = dir.file("akten/brief.txt", "Brief");
    QVERIFY(!trashAvailableFor(file));
    QCOMPARE(failureOf(moveToTrash(file)), std::optional(OsError::Failed));
    QCOMPARE(contentOf(file), QByteArray("Brief"));
}

// A file on another volume than the home Trash goes to that volume's own Trash in its top folder,
// its note naming it from there. Memory (/dev/shm) is such a volume where it is mounted apart.
void TestFileChanges::trashOfAnotherVolume() {
    TestDir home;
    Environment environment;
    environment.set("HOME", QFile::encodeName(home.path()));
    environment.unset("XDG_DATA_HOME");
    struct stat shm {
    }, homeStat{}, shared{};
    if (::stat("/dev/shm", &shm) != 0 || ::stat(QFile::encodeName(home.path()), &homeStat) != 0 ||
        shm.st_dev == homeStat.st_dev || ::access("/dev/shm", W_OK) != 0)
        QSKIP("/dev/shm is no volume of its own that this user may write");
    if (::lstat("/dev/shm/.Trash", &shared) == 0)
        QSKIP("/dev/shm has a shared Trash, which the test leaves alone");
    const QString trash = QStringLiteral("/dev/shm/.Trash-") + QString::number(::getuid());
    const bool trashWasThere = QFileInfo::exists(trash);
    QTemporaryDir volume(QStringLiteral("/dev/shm/findolin-XXXXXX"));
    QVERIFY(volume.isValid());
    const QString file = volume.filePath(QStringLiteral("Notiz 1.txt"));
    {
        QFile out(file);
        QVERIFY(out.open(QIODevice::WriteOnly) && out.write("Notiz") == 5);
    }
    QVERIFY(trashAvailableFor(file));
    const auto moved = moveToTrash(file);
    const QString trashed = trash + QStringLiteral("/files/Notiz 1.txt");
    const TrashNote note = noteIn(QFile::encodeName(trash), "Notiz 1.txt");
    const QByteArray contentInTrash = contentOf(trashed);
    // Whatever happened, this test's traces go.
    QFile::remove(trashed);
    QFile::remove(trash + QStringLiteral("/info/Notiz 1.txt.trashinfo"));
    if (!trashWasThere)
        QDir(trash).removeRecursively();
    QCOMPARE(failureOf(moved), std::nullopt);
    QVERIFY(!QFileInfo::exists(file));
    QCOMPARE(contentInTrash, QByteArray("Notiz"));
    QCOMPARE(QByteArray::fromPercentEncoding(note.path),
             QFile::encodeName(QFileInfo(volume.path()).fileName()) + "/Notiz 1.txt");
    QVERIFY(!QFileInfo::exists(home.path(".local/share/Trash")));
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
