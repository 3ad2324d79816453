#include "platform/file_changes.h"
#include "platform/folder_scan.h"
#include "platform/native_names.h"
#include "platform/paths.h"
#include "platform/read_only_file.h"
#include "platform/volumes.h"
#include "testdir.h"

#include <QRegularExpression>
#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>

using namespace findolin;

class TestFileChanges : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void refusals();
    void copies();
    void namesThatAreNotUtf8();
    void deleteToTheTrash();
    void userVolumes();
};

namespace {

// Why the call failed, or nothing when it was done.
std::optional<OsError> failureOf(const Result<void>& done) {
    return done.ok() ? std::nullopt : std::optional(done.error());
}

// Everything in the folder, hidden files included: a copy must leave nothing of its own behind.
QStringList entriesOf(const QString& folder) {
    return QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

struct stat statOf(const QString& path) {
    struct stat st {};
    ::stat(QFile::encodeName(path).constData(), &st);
    return st;
}

// The user's home and data folder (empty: unset); each test that goes by them sets them.
void useHome(const QByteArray& home, const QByteArray& data) {
    qputenv("HOME", home);
    data.isEmpty() ? qunsetenv("XDG_DATA_HOME") : qputenv("XDG_DATA_HOME", data);
}

// Files named by their bytes, which Qt's file classes cannot always name.
void writeNamed(const QByteArray& path, const QByteArray& content) {
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    QVERIFY(fd >= 0 && ::write(fd, content.constData(), content.size()) == content.size());
    ::close(fd);
}

QByteArray readNamed(const QByteArray& path) {
    auto file = ReadOnlyFile::open(nameFromBytes(path));
    return file ? file->read(1 << 20).value() : QByteArray("<gone>");
}

// The original path that a Trash's note gives for a trashed file, URL-encoded as the desktops
// read it and dated; "<no note>" when there is no such note.
QByteArray pathInNote(const QByteArray& trash, const QByteArray& trashedName) {
    static const QRegularExpression form(QStringLiteral(
        R"(^\[Trash Info\]\nPath=(\S+)\nDeletionDate=\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\n$)"));
    const auto note =
        form.match(QString::fromLatin1(readNamed(trash + "/info/" + trashedName + ".trashinfo")));
    return note.hasMatch() ? QByteArray::fromPercentEncoding(note.captured(1).toLatin1())
                           : QByteArray("<no note>");
}

} // namespace

// A rename never takes the name of another file. Neither a delete nor the move to the Trash takes a
// folder or a write-protected file. A copy replaces only an ordinary file: not a folder, a link
// (even to a file, or to nothing) or a pipe, and not a write-protected file; nor is anything but a
// file copied. Where no Trash can be had, the file stays where it is.
void TestFileChanges::refusals() {
    TestDir dir({{"a.txt", "A"},
                 {"b.txt", "B"},
                 {"ordner/", {}},
                 {"daten", "kein Ordner"},
                 {"woanders.txt", "woanders"},
                 {"akten/brief.txt", "Brief"},
                 {"ziel/ordner.txt/drin.txt", "drin"},
                 {"ziel/geschützt.txt", "bleibt"}});
    const auto in = [&](const char* relative) { return contentOf(dir.path(relative)); };
    QCOMPARE(failureOf(renameWithoutReplacing(dir.path("a.txt"), dir.path("b.txt"))),
             std::optional(OsError::AlreadyExists));
    QCOMPARE(failureOf(renameWithoutReplacing(dir.path("a.txt"), dir.path("c.txt"))), std::nullopt);
    QCOMPARE(in("a.txt") + in("b.txt") + in("c.txt"), QByteArray("<gone>BA"));

    dir.link(dir.path("woanders.txt"), "ziel/link.txt");
    dir.link(dir.path("nichts"), "ziel/ins-leere.txt");
    QCOMPARE(::mkfifo(QFile::encodeName(dir.path("ziel/rohr.txt")).constData(), 0600), 0);
    QFile::setPermissions(dir.path("ziel/geschützt.txt"), QFileDevice::ReadOwner);
    const QStringList before = entriesOf(dir.path("ziel"));
    useHome(QFile::encodeName(dir.folder("home")), {});
    const std::pair<const char*, OsError> removals[] = {
        {"ziel/ordner.txt", OsError::NotAFile},
        {"ziel/geschützt.txt", OsError::AccessDenied},
        {"ziel/fehlt.txt", OsError::NotFound}};
    for (const auto remove : {&deleteFile, &moveToTrash})
        for (const auto& [name, error] : removals)
            QCOMPARE(failureOf(remove(dir.path(name))), std::optional(error));
    // From where to where, and why not, when a taken name is refused and when it is replaced.
    const std::tuple<const char*, const char*, OsError, OsError> copies[] = {
        {"weg.txt", "ziel/geschützt.txt", OsError::NotFound, OsError::NotFound},
        {"ordner", "ziel/geschützt.txt", OsError::NotAFile, OsError::NotAFile},
        {"b.txt", "fehlt/b.txt", OsError::NotFound, OsError::NotFound},
        {"b.txt", "ziel/ordner.txt", OsError::NotAFile, OsError::NotAFile},
        {"b.txt", "ziel/link.txt", OsError::NotAFile, OsError::NotAFile},
        {"b.txt", "ziel/ins-leere.txt", OsError::NotAFile, OsError::NotAFile},
        {"b.txt", "ziel/rohr.txt", OsError::NotAFile, OsError::NotAFile},
        {"b.txt", "ziel/geschützt.txt", OsError::AlreadyExists, OsError::AccessDenied},
    };
    for (const auto& [from, to, whenRefused, whenReplacing] : copies) {
        QCOMPARE(failureOf(copyFile(dir.path(from), dir.path(to), WhenTaken::Refuse)),
                 std::optional(whenRefused));
        QCOMPARE(failureOf(copyFile(dir.path(from), dir.path(to), WhenTaken::Replace)),
                 std::optional(whenReplacing));
    }
    // Each link still leads where it did: to the file, untouched, and to nothing.
    QCOMPARE(in("ziel/ordner.txt/drin.txt") + in("ziel/link.txt") + in("ziel/ins-leere.txt") +
                 in("ziel/geschützt.txt"),
             QByteArray("drinwoanders<gone>bleibt"));
    QCOMPARE(entriesOf(dir.path("ziel")), before);

    // Nor from a folder the user may not change (the superuser may change any); the note that
    // was to reserve its name in the Trash goes again.
    const QString file = dir.path("akten/brief.txt");
    if (::geteuid() != 0) {
        QCOMPARE(::chmod(QFile::encodeName(dir.path("akten")).constData(), 0500), 0);
        QVERIFY(!moveToTrash(file).ok());
        QCOMPARE(::chmod(QFile::encodeName(dir.path("akten")).constData(), 0700), 0);
    }
    QVERIFY(entriesOf(dir.path("home/.local/share/Trash/info")).isEmpty());
    // A home whose data folder is a file can hold no Trash.
    useHome(QFile::encodeName(dir.path("home")), QFile::encodeName(dir.path("daten")));
    QVERIFY(!trashAvailableFor(file));
    QCOMPARE(failureOf(moveToTrash(file)), std::optional(OsError::Failed));
    QCOMPARE(contentOf(file), QByteArray("Brief"));
}

// A copy is the whole file with its date and permissions, also when empty or over a file when
// asked; onto itself, by another spelling of its path, the name is taken, and replacing it does
// nothing to it. A copy that fails half-way (the disk full) leaves the old target whole and
// nothing of its own. A copy reads to the true end of a file whose size says nothing, and copies
// between two file systems, between which the kernel may not copy by itself.
void TestFileChanges::copies() {
    const QByteArray large = QByteArray("Rechnung 042, Seite ").repeated(160'001);
    const QByteArray old = "alter Inhalt, länger als der neue";
    TestDir dir({{"quelle/Rechnung 042.pdf", large},
                 {"ziel/alt.txt", old},
                 {"neu.txt", "neu"},
                 {"leer.txt", {}}});
    const auto copy = [&](const QString& from, const QString& to, WhenTaken whenTaken) {
        const QDir in(dir.path()); // the names are relative to it, or absolute
        return failureOf(copyFile(in.filePath(from), in.filePath(to), whenTaken));
    };
    const QString source = dir.path("quelle/Rechnung 042.pdf");
    // The process may write files of 64 KiB at most: the disk "fills up".
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit unlimited{};
    ::getrlimit(RLIMIT_FSIZE, &unlimited);
    const rlimit limited{64 * 1024, unlimited.rlim_max};
    ::setrlimit(RLIMIT_FSIZE, &limited);
    const auto failure = copy(source, "ziel/alt.txt", WhenTaken::Replace);
    ::setrlimit(RLIMIT_FSIZE, &unlimited);
    QVERIFY(failure.has_value());
    QCOMPARE(entriesOf(dir.path("ziel")) << contentOf(dir.path("ziel/alt.txt")),
             (QStringList{"alt.txt", old}));

    QCOMPARE(::chmod(QFile::encodeName(source).constData(), 0640), 0);
    const timespec written[2] = {{1'500'000'000, 0}, {1'500'000'000, 0}};
    QCOMPARE(::utimensat(AT_FDCWD, QFile::encodeName(source).constData(), written, 0), 0);
    const QString target = dir.path("ziel/Rechnung 042.pdf");
    QCOMPARE(copy(source, target, WhenTaken::Refuse), std::nullopt);
    QCOMPARE(contentOf(target), large);
    // A copy keeps what the date filter and the owner go by.
    QCOMPARE(QFileInfo(target).lastModified().toSecsSinceEpoch(), 1'500'000'000);
    QCOMPARE(QFileInfo(target).permissions(), QFileInfo(source).permissions());
    QCOMPARE(copy("neu.txt", "ziel/alt.txt", WhenTaken::Replace), std::nullopt);
    QCOMPARE(copy("leer.txt", "ziel/leer.txt", WhenTaken::Refuse), std::nullopt);
    QCOMPARE(contentOf(dir.path("ziel/alt.txt")) + '|' + contentOf(dir.path("ziel/leer.txt")),
             QByteArray("neu|"));
    QCOMPARE(entriesOf(dir.path("ziel")), (QStringList{"Rechnung 042.pdf", "alt.txt", "leer.txt"}));

    const ino_t inode = statOf(source).st_ino;
    const QString itself = dir.path("quelle/../quelle/Rechnung 042.pdf");
    QCOMPARE(copy(source, itself, WhenTaken::Refuse), std::optional(OsError::AlreadyExists));
    QCOMPARE(copy(source, itself, WhenTaken::Replace), std::nullopt);
    QVERIFY(contentOf(source) == large && statOf(source).st_ino == inode);
    QCOMPARE(entriesOf(dir.path("quelle")), QStringList{"Rechnung 042.pdf"});

    QCOMPARE(copy(QStringLiteral("/proc/self/status"), "status", WhenTaken::Refuse), std::nullopt);
    QVERIFY(contentOf(dir.path("status")).startsWith("Name:"));
    // Memory and disk are two file systems, between which the kernel may not copy by itself.
    QTemporaryDir memory(QStringLiteral("/dev/shm/findolin-XXXXXX"));
    if (!memory.isValid() || statOf(memory.path()).st_dev == statOf(dir.path()).st_dev)
        QSKIP("no second file system here");
    const QString inMemory = memory.filePath("a.pdf");
    QCOMPARE(copy(source, inMemory, WhenTaken::Refuse), std::nullopt);
    QCOMPARE(copy(inMemory, "ziel/alt.txt", WhenTaken::Replace), std::nullopt);
    QCOMPARE(contentOf(inMemory) + contentOf(dir.path("ziel/alt.txt")), large + large);
}

// Whatever bytes a name holds, the file is listed, read, copied, renamed and deleted by exactly
// those bytes, and shown with a replacement character for each byte that is not UTF-8.
void TestFileChanges::namesThatAreNotUtf8() {
    const QString bad(QChar::ReplacementCharacter);
    const std::pair<QByteArray, QString> names[] = {
        {"Grüße 𐐀.txt", QStringLiteral("Grüße 𐐀.txt")},
        {"Gr\xfc\xdf.txt", "Gr" + bad + bad + ".txt"}, // Latin-1
        {"a\x80\xbf", "a" + bad + bad},                // stray continuation bytes
        {"\xc0\xaf.txt", bad + bad + ".txt"},          // an overlong slash
        {"\xed\xa0\x80", bad + bad + bad},             // an encoded surrogate
        {"\xf4\x90\x80\x80", bad + bad + bad + bad},   // beyond U+10FFFF
        {"x\xe2\x82", "x" + bad + bad},                // cut short
        {"\xf0\x90\x90\x80\xff", "\U00010400" + bad},  // beyond the BMP, then raw
        {"\xef\xbf\xbd\xff", bad + bad},               // U+FFFD itself, then raw
    };
    for (const auto& [name, shown] : names) {
        TestDir dir;
        writeNamed(QFile::encodeName(dir.path()) + '/' + name, "Inhalt");
        const auto scan = scanFolder(dir.path());
        QVERIFY(scan && scan->files.size() == 1);
        const QString listed = scan->files.first();
        const bool utf8 = QString::fromUtf8(name).toUtf8() == name;
        QCOMPARE(bytesOfName(listed) + '|' + visibleText(listed).toUtf8(),
                 name + '|' + shown.toUtf8());
        const QString path = joinPath(scan->folder, listed), alias = pathForOtherPrograms(path);
        QCOMPARE((QList<bool>{isOrdinaryFile(path), nameIsTaken(path), hasRawBytes(listed),
                              alias == path}),
                 (QList<bool>{true, true, !utf8, utf8}));
        QCOMPARE(readNamed(bytesOfName(path)) + contentOf(alias), QByteArray("InhaltInhalt"));
        QVERIFY(copyFile(path, path + "-kopie", WhenTaken::Refuse).ok() &&
                renameWithoutReplacing(path, path + "-neu").ok() && deleteFile(path + "-neu").ok());
        QCOMPARE(scanFolder(dir.path())->files, QStringList{listed + "-kopie"});
        // Qt's own removal of the test folder could not name it.
        QVERIFY(deleteFile(path + "-kopie").ok());
    }
}

// A deleted file lies in the Trash whole, with a note of where it was, so that a file manager can
// put it back; deleting another file of the same name keeps the first.
void TestFileChanges::deleteToTheTrash() {
    // The name, XDG_DATA_HOME ("/...": in the test's folder; "": unset) and where the Trash is
    // then, in the test's folder.
    const char* usual = "home/.local/share/Trash";
    const std::tuple<QByteArray, QByteArray, const char*> cases[] = {
        {"Brief.txt", "", usual},
        {"Brief.txt", "/daten", "daten/Trash"},
        {"Brief.txt", "relativ", usual}, // counts as unset
        {"Re: 100% #1.txt", "", usual},
        {"Gr\xfc\xdf.txt", "", usual},
        {QString(125, u'ä').toUtf8(), "", usual}, // 250 bytes
    };
    for (const auto& [name, data, trashFolder] : cases) {
        TestDir dir;
        useHome(QFile::encodeName(dir.folder("home")),
                data.startsWith('/') ? QFile::encodeName(dir.path()) + data : data);
        const QByteArray original = QFile::encodeName(dir.folder("akten")) + '/' + name;
        const QByteArray trash = QFile::encodeName(dir.path(trashFolder));
        // The note's name adds ".trashinfo" and must be a valid name too: a name is cut at 245
        // bytes, between characters, and 243 with ".2".
        const QByteArray first = name.left(244), second = name.left(242) + ".2";
        for (const QByteArray& trashed : {first, second}) {
            writeNamed(original, "Inhalt " + trashed);
            const QString path = nameFromBytes(original);
            QVERIFY(trashAvailableFor(path) && moveToTrash(path).ok() && !nameIsTaken(path));
            QCOMPARE(readNamed(trash + "/files/" + trashed) + '|' + pathInNote(trash, trashed),
                     "Inhalt " + trashed + '|' + original);
        }
        for (const char* part : {"/files", "/info"})
            QCOMPARE(scanFolder(nameFromBytes(trash + part))->files.size(), 2);
        // The user's Trash is the user's alone.
        QCOMPARE(QFileInfo(nameFromBytes(trash)).permissions() & 0x0077, 0);
        removeTreeAt(AT_FDCWD, QFile::encodeName(dir.path())); // Qt's removal cannot name them
    }

    // A file on another volume than the home Trash goes to that volume's own Trash in its top
    // folder, its note naming it from there. Memory (/dev/shm) is such a volume where it is
    // mounted apart.
    TestDir dir;
    useHome(QFile::encodeName(dir.path()), {});
    // A shared Trash there the test leaves alone.
    if (statOf(QStringLiteral("/dev/shm")).st_dev == statOf(dir.path()).st_dev ||
        ::access("/dev/shm", W_OK) != 0 || QFileInfo::exists(QStringLiteral("/dev/shm/.Trash")))
        QSKIP("/dev/shm is no volume of its own that this user may write, or has a shared Trash");
    const QString trash = QStringLiteral("/dev/shm/.Trash-") + QString::number(::getuid());
    const bool trashWasThere = QFileInfo::exists(trash);
    QTemporaryDir volume(QStringLiteral("/dev/shm/findolin-XXXXXX"));
    const QString file = volume.filePath(QStringLiteral("Notiz 1.txt"));
    writeNamed(QFile::encodeName(file), "Notiz");
    QVERIFY(trashAvailableFor(file));
    const auto moved = failureOf(moveToTrash(file));
    const QByteArray note = pathInNote(QFile::encodeName(trash), "Notiz 1.txt"),
                     contentInTrash = contentOf(trash + "/files/Notiz 1.txt");
    // Whatever happened, this test's traces go.
    QFile::remove(trash + "/files/Notiz 1.txt");
    QFile::remove(trash + "/info/Notiz 1.txt.trashinfo");
    if (!trashWasThere)
        QDir(trash).removeRecursively();
    QCOMPARE(moved, std::nullopt);
    QVERIFY(!QFileInfo::exists(file) && !QFileInfo::exists(dir.path(".local/share/Trash")));
    QCOMPARE(contentInTrash + '|' + note,
             "Notiz|" + QFile::encodeName(QFileInfo(volume.path()).fileName()) + "/Notiz 1.txt");
}

void TestFileChanges::userVolumes() {
    const std::pair<Volume, bool> volumes[] = {
        {{"/", {}, "overlay", "overlay"}, true},
        {{"/home", {}, "ext4", "/dev/sda3"}, true},
        {{"/run/media/anna/STICK", {}, "vfat", "/dev/sdb1"}, true},
        {{"/srv/rech", {}, "cifs", "//server/rech"}, true},
        {{"/procedures", {}, "ext4", "/dev/sdc1"}, true}, // not /proc
        {{"/proc", {}, "proc", "proc"}, false},
        {{"/boot/efi", {}, "vfat", "/dev/sda1"}, false},
        {{"/var/snap/x", {}, "squashfs", "/dev/loop3"}, false},
        {{"/etc/hosts", {}, "ext4", "/dev/sda1"}, false}, // a file bound in
    };
    for (const auto& [volume, shown] : volumes)
        QVERIFY2(isUserVolume(volume) == shown, qPrintable(volume.rootPath));
}

QTEST_GUILESS_MAIN(TestFileChanges)
#include "test_file_changes.moc"
