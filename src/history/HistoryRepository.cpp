#include "history/HistoryRepository.h"

#include "store/FolderLock.h"
#include "store/PathNoCase.h"

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QRegularExpression>

#include <unistd.h>

namespace qdv::history {

namespace {

constexpr char kMarkKey[] = "qdv70.history";
constexpr char kPushPendingKey[] = "qdv70.pushpending";
constexpr char kBranch[] = "history";

struct GitLibrary {
    GitLibrary() { git_libgit2_init(); }
    ~GitLibrary() { git_libgit2_shutdown(); }
};

QString Text(const char* s) {
    return s ? QString::fromUtf8(s) : QString();
}

bool Fail(QString* error, const QString& what) {
    if (error)
        *error = what + QStringLiteral(": ") + GitErrorText();
    return false;
}

// Working files that never belong in a snapshot: transfer working copies (.BAK), the description
// converter's work file (.OLD), the compact crosspoint list made before each send (.MKE), the editors'
// text exports (.CSV), the temporary file of an atomic replace ("NAME.EXT.xxxxxx"), and hidden files,
// among them the folder's lock file (FolderLock::kFileName).
bool TrackedName(const QString& path) {
    const QString name = QFileInfo(path).fileName();
    static const QRegularExpression skipped(
        QStringLiteral(R"(\.(bak|old|mke|csv)$|^[^.]+\.[^.]+\.[A-Za-z0-9]{6}$)"),
        QRegularExpression::CaseInsensitiveOption);
    return !name.startsWith(QLatin1Char('.')) && !skipped.match(name).hasMatch();
}

// Entries named ".git" in the folders below `root` (the repository's own .git is not looked into),
// relative to `root`.
QStringList NestedGitEntries(const QString& root) {
    QStringList found;
    QStringList folders;
    const QDir top(root);
    for (const QFileInfo& fi : top.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden)) {
        if (fi.fileName() != QLatin1String(".git") && !fi.isSymLink())
            folders << fi.filePath();
    }
    while (!folders.isEmpty()) {
        const QDir dir(folders.takeLast());
        for (const QFileInfo& fi :
             dir.entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System)) {
            if (fi.fileName() == QLatin1String(".git"))
                found << top.relativeFilePath(fi.filePath());
            else if (fi.isDir() && !fi.isSymLink())
                folders << fi.filePath();
        }
    }
    found.sort();
    return found;
}

bool TrackedPath(const char* path) {
    return TrackedName(QString::fromUtf8(path));
}

int AddFilter(const char* path, const char*, void*) {
    return TrackedPath(path) ? 0 : 1;
}

git_oid OidOf(const QString& id) {
    git_oid oid{};
    git_oid_fromstrn(&oid, id.toLatin1().constData(), static_cast<size_t>(id.size()));
    return oid;
}

QString IdText(const git_oid* oid) {
    char buf[GIT_OID_HEXSZ + 1] = {};
    git_oid_tostr(buf, sizeof buf, oid);
    return QString::fromLatin1(buf);
}

// The snapshot's fields from its message: the summary is the job, "Setup:" and "Failed:" lines follow.
void ParseMessage(const QString& message, SnapshotInfo* info) {
    const QStringList lines = message.split(QLatin1Char('\n'));
    info->job = lines.value(0).trimmed();
    for (const QString& line : lines) {
        if (line.startsWith(QLatin1String("Setup: ")))
            info->setup = line.mid(7).trimmed();
        else if (line.startsWith(QLatin1String("Failed: ")))
            info->failedFiles = line.mid(8).trimmed().split(QStringLiteral(", "), Qt::SkipEmptyParts);
    }
}

int DeltaPaths(const git_diff_delta* delta, float, void* payload) {
    auto* paths = static_cast<QStringList*>(payload);
    const char* path = delta->new_file.path ? delta->new_file.path : delta->old_file.path;
    *paths << QString::fromUtf8(path);
    return 0;
}

struct FindState {
    QString wanted; // lower case
    git_oid id{};
    bool found = false;
};

int FindEntry(const char* root, const git_tree_entry* entry, void* payload) {
    auto* state = static_cast<FindState*>(payload);
    if (git_tree_entry_type(entry) != GIT_OBJECT_BLOB)
        return 0;
    const QString path = QString::fromUtf8(root) + QString::fromUtf8(git_tree_entry_name(entry));
    if (path.toLower() != state->wanted)
        return 0;
    state->id = *git_tree_entry_id(entry);
    state->found = true;
    return -1; // stop the walk
}

struct PushState {
    QString rejected;
    int credentialTries = 0;
};

int PushStatus(const char* refname, const char* status, void* payload) {
    if (status)
        static_cast<PushState*>(payload)->rejected = Text(refname) + QStringLiteral(": ") + Text(status);
    return 0;
}

// An ssh remote may use the operator's agent; anything else needing a password fails at once rather
// than asking again and again.
int PushCredentials(git_credential** out, const char*, const char* user, unsigned int allowed,
                    void* payload) {
    auto* state = static_cast<PushState*>(payload);
    if (++state->credentialTries > 1 || !(allowed & GIT_CREDENTIAL_SSH_KEY))
        return GIT_EUSER;
    return git_credential_ssh_key_from_agent(out, user ? user : "git");
}

} // namespace

void EnsureGitLibrary() {
    static GitLibrary library;
}

QString GitErrorText(const QString& fallback) {
    const git_error* e = git_error_last();
    return e && e->message ? QString::fromUtf8(e->message).trimmed() : fallback;
}

HistoryRepository::HistoryRepository(const QString& folder, RepoPtr repo)
    : m_folder(folder), m_repo(std::move(repo)) {}

namespace {

// libgit2 opens a repository only when the working folder and its .git belong to the user running it
// (or to root); its own error then may say no more than that a setting was not found.
bool OwnedByAnother(const QString& path) {
    const auto another = [](const QFileInfo& f) {
        return f.exists() && f.ownerId() != ::geteuid() && f.ownerId() != 0;
    };
    return another(QFileInfo(path)) || another(QFileInfo(path + QStringLiteral("/.git")));
}

std::unique_ptr<HistoryRepository> OwnedByAnotherUser(QString* error) {
    if (error)
        *error = QStringLiteral("the backup folder or its .git belongs to another user, and git works only "
                                "in a repository of the user running it (make the folder and its .git "
                                "yours with chown, or run the program as their owner)");
    return nullptr;
}

} // namespace

std::unique_ptr<HistoryRepository> HistoryRepository::Open(const QString& folder, bool create,
                                                           OpenState* state, QString* error) {
    EnsureGitLibrary();
    *state = OpenState::Ok;
    const QString path = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
    if (!QFileInfo(path).isDir()) {
        *state = OpenState::NoFolder;
        return nullptr;
    }
    const QByteArray native = QFile::encodeName(path);
    const QString gitPath = path + QStringLiteral("/.git");
    // A history is made under the folder's lock, so that of two first snapshots at once one makes it
    // and the other finds it made and marked. Taken only when there is no history of ours (yet).
    FolderLock lock;
    const auto takeLock = [&] {
        if (lock.Held())
            return true;
        const FolderLock::Result r = lock.Lock(path, QStringLiteral("making the history"), kMakeWaitMs);
        if (r != FolderLock::Result::Busy)
            return true; // a folder that cannot hold the lock file fails on its own below
        if (error)
            *error = QStringLiteral("the backup folder is busy: %1").arg(lock.Holder());
        *state = OpenState::Failed;
        return false;
    };
    git_repository* raw = nullptr;
    if (!QFileInfo::exists(gitPath)) {
        if (!create) {
            *state = OpenState::None;
            return nullptr;
        }
        if (!takeLock())
            return nullptr;
    }
    if (QFileInfo::exists(gitPath)) {
        // Never search upwards: a repository that merely contains the backup folder is not its history.
        int opened =
            git_repository_open_ext(&raw, native.constData(), GIT_REPOSITORY_OPEN_NO_SEARCH, nullptr);
        if (opened == 0 && !IsOurs(raw) && create && !lock.Held()) {
            // Not marked: perhaps another writer is making it this moment. It is made under the lock, so
            // once the lock is ours it is looked at again as it is now.
            git_repository_free(raw);
            raw = nullptr;
            if (!takeLock())
                return nullptr;
            opened =
                git_repository_open_ext(&raw, native.constData(), GIT_REPOSITORY_OPEN_NO_SEARCH, nullptr);
        }
        if (opened != 0 && OwnedByAnother(path)) {
            *state = OpenState::Failed;
            return OwnedByAnotherUser(error);
        }
        // One whose making was cut off before it was marked (our branch, nothing on it) is finished here.
        if (opened == 0 && !IsOurs(raw) && lock.Held() && IsHalfMade(raw) && !MarkOurs(raw, error)) {
            git_repository_free(raw);
            *state = OpenState::Failed;
            return nullptr;
        }
        if (opened != 0 || !IsOurs(raw)) {
            git_repository_free(raw);
            *state = OpenState::Foreign;
            return nullptr;
        }
    } else {
        git_repository_init_options options;
        git_repository_init_options_init(&options, GIT_REPOSITORY_INIT_OPTIONS_VERSION);
        options.flags = GIT_REPOSITORY_INIT_NO_REINIT;
        options.initial_head = kBranch;
        if (git_repository_init_ext(&raw, native.constData(), &options) != 0 || !MarkOurs(raw, error)) {
            if (error && error->isEmpty())
                Fail(error, QStringLiteral("cannot create the history"));
            git_repository_free(raw);
            *state = OpenState::Failed;
            // A .git left half made would later pass for one this program did not make.
            QDir(gitPath).removeRecursively();
            if (OwnedByAnother(path))
                return OwnedByAnotherUser(error);
            return nullptr;
        }
    }
    *state = OpenState::Ok;
    return std::unique_ptr<HistoryRepository>(new HistoryRepository(path, RepoPtr(raw)));
}

bool HistoryRepository::IsOursAt(const QString& folder) {
    EnsureGitLibrary();
    const QString path = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
    if (!QFileInfo::exists(path + QStringLiteral("/.git")))
        return false;
    git_repository* raw = nullptr;
    if (git_repository_open_ext(&raw, QFile::encodeName(path).constData(), GIT_REPOSITORY_OPEN_NO_SEARCH,
                                nullptr) != 0)
        return false;
    const RepoPtr repo(raw);
    return IsOurs(raw);
}

bool HistoryRepository::IsHalfMade(git_repository* repo) {
    if (git_repository_head_unborn(repo) != 1)
        return false;
    git_reference* head = nullptr;
    if (git_reference_lookup(&head, repo, "HEAD") != 0)
        return false;
    ReferencePtr headPtr(head);
    const char* target = git_reference_symbolic_target(head);
    return target != nullptr && QByteArray(target) == QByteArray("refs/heads/") + kBranch;
}

bool HistoryRepository::IsOurs(git_repository* repo) {
    git_config* all = nullptr;
    if (git_repository_config(&all, repo) != 0)
        return false;
    ConfigPtr allPtr(all);
    git_config* local = nullptr;
    if (git_config_open_level(&local, all, GIT_CONFIG_LEVEL_LOCAL) != 0)
        return false;
    ConfigPtr localPtr(local);
    int mark = 0;
    return git_config_get_bool(&mark, local, kMarkKey) == 0 && mark;
}

bool HistoryRepository::MarkOurs(git_repository* repo, QString* error) {
    git_config* config = nullptr;
    if (git_repository_config(&config, repo) != 0)
        return Fail(error, QStringLiteral("cannot read the history's configuration"));
    ConfigPtr configPtr(config);
    git_config* local = nullptr;
    if (git_config_open_level(&local, config, GIT_CONFIG_LEVEL_LOCAL) != 0)
        return Fail(error, QStringLiteral("cannot read the history's configuration"));
    ConfigPtr localPtr(local);
    // Data files carry CR LF; whatever the user's own git settings say, they are stored byte for byte.
    if (git_config_set_bool(local, "core.autocrlf", 0) != 0 ||
        git_config_set_string(local, "core.eol", "crlf") != 0 ||
        git_config_set_bool(local, "core.safecrlf", 0) != 0 || git_config_set_bool(local, kMarkKey, 1) != 0)
        return Fail(error, QStringLiteral("cannot write the history's configuration"));
    QFile attributes(QFile::decodeName(git_repository_path(repo)) + QStringLiteral("info/attributes"));
    QDir().mkpath(QFileInfo(attributes).absolutePath());
    if (!attributes.open(QIODevice::WriteOnly) || attributes.write("* -text\n") != 8) {
        if (error)
            *error = QStringLiteral("cannot write %1").arg(attributes.fileName());
        return false;
    }
    return true;
}

QStringList HistoryRepository::RemoveStaleLocks(qint64 olderThanSecs) {
    const QDir git(QFile::decodeName(git_repository_path(m_repo.get())));
    QStringList candidates = {QStringLiteral("index.lock"), QStringLiteral("HEAD.lock"),
                              QStringLiteral("config.lock"), QStringLiteral("packed-refs.lock")};
    QDirIterator refs(git.filePath(QStringLiteral("refs")), {QStringLiteral("*.lock")}, QDir::Files,
                      QDirIterator::Subdirectories);
    while (refs.hasNext())
        candidates << git.relativeFilePath(refs.next());
    const QDateTime now = QDateTime::currentDateTimeUtc();
    QStringList removed;
    for (const QString& name : std::as_const(candidates)) {
        const QFileInfo lock(git.filePath(name));
        // A lock from the future (a clock set back) is not judged stale.
        if (lock.isFile() && lock.lastModified().toUTC().secsTo(now) > olderThanSecs &&
            QFile::remove(lock.filePath()))
            removed << name;
    }
    return removed;
}

bool HistoryRepository::Commit(const QString& message, QString* commitId, QString* error) {
    commitId->clear();
    git_index* rawIndex = nullptr;
    if (git_repository_index(&rawIndex, m_repo.get()) != 0)
        return Fail(error, QStringLiteral("cannot open the history's index"));
    IndexPtr index(rawIndex);
    // A .git below the top of the folder (a station's listed file, a copied repository) cannot be
    // staged: git takes it for another repository and the whole snapshot fails. Say which it is.
    const QString workdir = Text(git_repository_workdir(m_repo.get()));
    const QStringList nested = NestedGitEntries(workdir);
    if (!nested.isEmpty()) {
        if (error)
            *error = QStringLiteral("a .git inside the backup folder cannot be kept (remove it): %1")
                         .arg(nested.join(QStringLiteral(", ")));
        return false;
    }
    git_oid treeId{};
    // Adding all also drops the entries of files that have left the folder; each file is read and
    // hashed once.
    if (git_index_read(index.get(), 0) != 0 ||
        git_index_add_all(index.get(), nullptr, GIT_INDEX_ADD_FORCE, AddFilter, nullptr) != 0 ||
        git_index_write(index.get()) != 0 || git_index_write_tree(&treeId, index.get()) != 0)
        return Fail(error, QStringLiteral("cannot stage the backup folder"));

    git_oid parentId{};
    CommitPtr parent;
    const int head = git_reference_name_to_id(&parentId, m_repo.get(), "HEAD");
    if (head == 0) {
        git_commit* raw = nullptr;
        if (git_commit_lookup(&raw, m_repo.get(), &parentId) != 0)
            return Fail(error, QStringLiteral("cannot read the last snapshot"));
        parent.reset(raw);
        if (git_oid_equal(git_commit_tree_id(raw), &treeId))
            return true;
    } else if (head != GIT_ENOTFOUND && head != GIT_EUNBORNBRANCH) {
        return Fail(error, QStringLiteral("cannot read the last snapshot"));
    } else if (git_index_entrycount(index.get()) == 0) {
        return true; // an empty folder is not worth a first snapshot
    }

    git_tree* rawTree = nullptr;
    if (git_tree_lookup(&rawTree, m_repo.get(), &treeId) != 0)
        return Fail(error, QStringLiteral("cannot read the staged folder"));
    TreePtr tree(rawTree);
    const QByteArray host = QSysInfo::machineHostName().toUtf8();
    const QByteArray user = qEnvironmentVariable("USER", QStringLiteral("qdv70")).toUtf8();
    git_signature* rawSig = nullptr;
    if (git_signature_now(&rawSig, "QDV-70",
                          (user + '@' + (host.isEmpty() ? "localhost" : host)).constData()) != 0)
        return Fail(error, QStringLiteral("cannot sign the snapshot"));
    SignaturePtr sig(rawSig);
    const git_commit* parents[] = {parent.get()};
    git_oid id{};
    if (git_commit_create(&id, m_repo.get(), "HEAD", sig.get(), sig.get(), nullptr,
                          message.toUtf8().constData(), tree.get(), parent ? 1 : 0, parents) != 0)
        return Fail(error, QStringLiteral("cannot commit the snapshot"));
    *commitId = IdText(&id);
    return true;
}

bool HistoryRepository::Log(int max, std::vector<SnapshotInfo>* out, QString* error) {
    out->clear();
    git_revwalk* rawWalk = nullptr;
    if (git_revwalk_new(&rawWalk, m_repo.get()) != 0)
        return Fail(error, QStringLiteral("cannot read the history"));
    RevwalkPtr walk(rawWalk);
    git_revwalk_sorting(rawWalk, GIT_SORT_TOPOLOGICAL | GIT_SORT_TIME);
    if (git_repository_head_unborn(m_repo.get()) == 1)
        return true; // no snapshot yet
    if (git_revwalk_push_head(rawWalk) != 0)
        return Fail(error, QStringLiteral("cannot read the history"));
    git_oid id{};
    while ((max <= 0 || static_cast<int>(out->size()) < max) && git_revwalk_next(&id, rawWalk) == 0) {
        git_commit* raw = nullptr;
        if (git_commit_lookup(&raw, m_repo.get(), &id) != 0)
            return Fail(error, QStringLiteral("cannot read a snapshot"));
        CommitPtr commit(raw);
        SnapshotInfo info;
        info.id = IdText(&id);
        git_buf shortId = GIT_BUF_INIT;
        if (git_object_short_id(&shortId, reinterpret_cast<const git_object*>(raw)) == 0)
            info.shortId = QString::fromLatin1(shortId.ptr);
        git_buf_dispose(&shortId);
        info.time = QDateTime::fromSecsSinceEpoch(git_commit_time(raw));
        ParseMessage(Text(git_commit_message(raw)), &info);

        TreePtr parentTree;
        if (git_commit_parentcount(raw) > 0) {
            git_commit* parent = nullptr;
            git_tree* tree = nullptr;
            if (git_commit_parent(&parent, raw, 0) == 0 && git_commit_tree(&tree, parent) == 0)
                parentTree.reset(tree);
            git_commit_free(parent);
        }
        git_tree* rawTree = nullptr;
        if (git_commit_tree(&rawTree, raw) != 0)
            return Fail(error, QStringLiteral("cannot read a snapshot"));
        TreePtr tree(rawTree);
        git_diff* rawDiff = nullptr;
        if (git_diff_tree_to_tree(&rawDiff, m_repo.get(), parentTree.get(), tree.get(), nullptr) != 0)
            return Fail(error, QStringLiteral("cannot compare snapshots"));
        DiffPtr diff(rawDiff);
        git_diff_foreach(rawDiff, DeltaPaths, nullptr, nullptr, nullptr, &info.changedFiles);
        out->push_back(std::move(info));
    }
    return true;
}

bool HistoryRepository::Resolve(const QString& revision, QString* commitId, QString* error) {
    git_object* object = nullptr;
    if (git_revparse_single(&object, m_repo.get(), revision.toUtf8().constData()) != 0) {
        if (error)
            *error = QStringLiteral("no snapshot %1").arg(revision);
        return false;
    }
    git_object* peeled = nullptr;
    const int rc = git_object_peel(&peeled, object, GIT_OBJECT_COMMIT);
    git_object_free(object);
    if (rc != 0) {
        if (error)
            *error = QStringLiteral("%1 is not a snapshot").arg(revision);
        return false;
    }
    *commitId = IdText(git_object_id(peeled));
    git_object_free(peeled);
    return true;
}

bool HistoryRepository::LookupTree(const QString& commitId, TreePtr* tree, QString* error) {
    const git_oid id = OidOf(commitId);
    git_commit* raw = nullptr;
    if (git_commit_lookup(&raw, m_repo.get(), &id) != 0)
        return Fail(error, QStringLiteral("no snapshot %1").arg(commitId));
    CommitPtr commit(raw);
    git_tree* rawTree = nullptr;
    if (git_commit_tree(&rawTree, raw) != 0)
        return Fail(error, QStringLiteral("cannot read snapshot %1").arg(commitId));
    tree->reset(rawTree);
    return true;
}

QByteArray HistoryRepository::BlobData(const git_oid& id) {
    git_blob* raw = nullptr;
    if (git_blob_lookup(&raw, m_repo.get(), &id) != 0)
        return {};
    BlobPtr blob(raw);
    return QByteArray(static_cast<const char*>(git_blob_rawcontent(raw)),
                      static_cast<qsizetype>(git_blob_rawsize(raw)));
}

bool HistoryRepository::Changes(const QString& oldId, const QString& newId, QList<FileChange>* out,
                                QString* error) {
    out->clear();
    TreePtr oldTree;
    TreePtr newTree;
    if ((!oldId.isEmpty() && !LookupTree(oldId, &oldTree, error)) ||
        (!newId.isEmpty() && !LookupTree(newId, &newTree, error)))
        return false;
    git_diff_options options;
    git_diff_options_init(&options, GIT_DIFF_OPTIONS_VERSION);
    git_diff* rawDiff = nullptr;
    int rc = 0;
    if (newId.isEmpty()) {
        // The folder as it is: every file counts, whatever ignore rules the user's git settings hold.
        options.flags = GIT_DIFF_INCLUDE_UNTRACKED | GIT_DIFF_RECURSE_UNTRACKED_DIRS |
                        GIT_DIFF_INCLUDE_IGNORED | GIT_DIFF_RECURSE_IGNORED_DIRS;
        rc = git_diff_tree_to_workdir(&rawDiff, m_repo.get(), oldTree.get(), &options);
    } else {
        rc = git_diff_tree_to_tree(&rawDiff, m_repo.get(), oldTree.get(), newTree.get(), &options);
    }
    if (rc != 0)
        return Fail(error, QStringLiteral("cannot compare snapshots"));
    DiffPtr diff(rawDiff);
    const size_t n = git_diff_num_deltas(rawDiff);
    for (size_t i = 0; i < n; ++i) {
        const git_diff_delta* d = git_diff_get_delta(rawDiff, i);
        const char* path = d->new_file.path ? d->new_file.path : d->old_file.path;
        if (!TrackedPath(path))
            continue;
        FileChange change;
        change.path = QString::fromUtf8(path);
        change.inOld = d->status != GIT_DELTA_ADDED && d->status != GIT_DELTA_UNTRACKED &&
                       d->status != GIT_DELTA_IGNORED;
        change.inNew = d->status != GIT_DELTA_DELETED;
        if (change.inOld)
            change.oldData = BlobData(d->old_file.id);
        if (change.inNew) {
            if (newId.isEmpty()) {
                QFile file(m_folder + QLatin1Char('/') + change.path);
                if (!file.open(QIODevice::ReadOnly))
                    return Fail(error, QStringLiteral("cannot read %1").arg(change.path));
                change.newData = file.readAll();
            } else {
                change.newData = BlobData(d->new_file.id);
            }
        }
        // A file rewritten with the same bytes can show up as modified against the folder.
        if (change.inOld && change.inNew && change.oldData == change.newData)
            continue;
        out->append(std::move(change));
    }
    return true;
}

bool HistoryRepository::IsTracked(const QString& path) {
    return TrackedName(path);
}

bool HistoryRepository::FileAt(const QString& commitId, const QString& path, QByteArray* data) {
    data->clear();
    if (commitId.isEmpty()) {
        QString full = m_folder;
        for (const QString& part : path.split(QLatin1Char('/'), Qt::SkipEmptyParts))
            full = JoinNoCase(full, part);
        QFile file(full);
        if (!file.open(QIODevice::ReadOnly))
            return false;
        *data = file.readAll();
        return true;
    }
    TreePtr tree;
    if (!LookupTree(commitId, &tree, nullptr))
        return false;
    FindState state;
    state.wanted = path.toLower();
    git_tree_walk(tree.get(), GIT_TREEWALK_PRE, FindEntry, &state);
    if (!state.found)
        return false;
    *data = BlobData(state.id);
    return true;
}

bool HistoryRepository::Files(const QString& commitId, QList<FileChange>* out, QString* error) {
    out->clear();
    TreePtr tree;
    if (!LookupTree(commitId, &tree, error))
        return false;
    git_diff* rawDiff = nullptr;
    if (git_diff_tree_to_tree(&rawDiff, m_repo.get(), nullptr, tree.get(), nullptr) != 0)
        return Fail(error, QStringLiteral("cannot read snapshot %1").arg(commitId));
    DiffPtr diff(rawDiff);
    const size_t n = git_diff_num_deltas(rawDiff);
    for (size_t i = 0; i < n; ++i) {
        const git_diff_delta* d = git_diff_get_delta(rawDiff, i);
        FileChange file;
        file.path = QString::fromUtf8(d->new_file.path);
        file.inNew = true;
        file.newData = BlobData(d->new_file.id);
        out->append(std::move(file));
    }
    return true;
}

bool HistoryRepository::Push(const QString& remoteUrl, const QString& branch, QString* error) {
    git_reference* rawHead = nullptr;
    if (git_repository_head(&rawHead, m_repo.get()) != 0)
        return Fail(error, QStringLiteral("nothing to push"));
    ReferencePtr head(rawHead);
    git_remote* rawRemote = nullptr;
    if (git_remote_create_anonymous(&rawRemote, m_repo.get(), remoteUrl.toUtf8().constData()) != 0)
        return Fail(error, QStringLiteral("bad remote %1").arg(remoteUrl));
    RemotePtr remote(rawRemote);
    const QByteArray refspec = QByteArray(git_reference_name(rawHead)) + ":refs/heads/" + branch.toUtf8();
    char* specs[] = {const_cast<char*>(refspec.constData())};
    const git_strarray array{specs, 1};
    PushState state;
    git_push_options options;
    git_push_options_init(&options, GIT_PUSH_OPTIONS_VERSION);
    options.callbacks.push_update_reference = PushStatus;
    options.callbacks.credentials = PushCredentials;
    options.callbacks.payload = &state;
    if (git_remote_push(rawRemote, &array, &options) != 0)
        return Fail(error, QStringLiteral("push to %1 failed").arg(remoteUrl));
    if (!state.rejected.isEmpty()) {
        if (error)
            *error = QStringLiteral("push to %1 refused: %2").arg(remoteUrl, state.rejected);
        return false;
    }
    return true;
}

bool HistoryRepository::PushPending() {
    git_config* config = nullptr;
    if (git_repository_config(&config, m_repo.get()) != 0)
        return false;
    ConfigPtr configPtr(config);
    int pending = 0;
    return git_config_get_bool(&pending, config, kPushPendingKey) == 0 && pending;
}

void HistoryRepository::SetPushPending(bool pending) {
    git_config* config = nullptr;
    if (git_repository_config(&config, m_repo.get()) != 0)
        return;
    ConfigPtr configPtr(config);
    git_config* local = nullptr;
    if (git_config_open_level(&local, config, GIT_CONFIG_LEVEL_LOCAL) != 0)
        return;
    ConfigPtr localPtr(local);
    if (pending)
        git_config_set_bool(local, kPushPendingKey, 1);
    else
        git_config_delete_entry(local, kPushPendingKey);
}

QString HistoryRepository::SafeBranchName(const QString& name) {
    QString safe;
    for (QChar c : name) {
        const bool plain = (c >= QLatin1Char('a') && c <= QLatin1Char('z')) ||
                           (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) ||
                           (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('_') ||
                           c == QLatin1Char('-') || c == QLatin1Char('.');
        safe += plain ? c : QLatin1Char('-');
    }
    safe.replace(QRegularExpression(QStringLiteral(R"(\.{2,})")), QStringLiteral("."));
    while (safe.startsWith(QLatin1Char('.')) || safe.startsWith(QLatin1Char('-')))
        safe.remove(0, 1);
    while (safe.endsWith(QLatin1Char('.')))
        safe.chop(1);
    if (safe.endsWith(QLatin1String(".lock"), Qt::CaseInsensitive))
        safe.chop(5);
    if (safe.isEmpty())
        safe = QStringLiteral("setup");
    return safe;
}

} // namespace qdv::history
