#pragma once

#include <git2.h>

#include <QString>
#include <memory>

namespace qdv::history {

// Owning pointers for libgit2 objects, each freed with its own function.
template <typename T, void (*Free)(T*)> struct GitFree {
    void operator()(T* p) const { Free(p); }
};
template <typename T, void (*Free)(T*)> using GitPtr = std::unique_ptr<T, GitFree<T, Free>>;

using RepoPtr = GitPtr<git_repository, git_repository_free>;
using IndexPtr = GitPtr<git_index, git_index_free>;
using TreePtr = GitPtr<git_tree, git_tree_free>;
using CommitPtr = GitPtr<git_commit, git_commit_free>;
using BlobPtr = GitPtr<git_blob, git_blob_free>;
using DiffPtr = GitPtr<git_diff, git_diff_free>;
using ConfigPtr = GitPtr<git_config, git_config_free>;
using SignaturePtr = GitPtr<git_signature, git_signature_free>;
using RevwalkPtr = GitPtr<git_revwalk, git_revwalk_free>;
using RemotePtr = GitPtr<git_remote, git_remote_free>;
using ReferencePtr = GitPtr<git_reference, git_reference_free>;

// The library is set up once per process and shut down at exit.
void EnsureGitLibrary();

// The message of the last libgit2 failure on this thread, or `fallback`.
QString GitErrorText(const QString& fallback = QStringLiteral("unknown git failure"));

} // namespace qdv::history
