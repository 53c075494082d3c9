#include "runtime_unpacking.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zstd.h>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <new>
#include <utility>

#include "cache_error.h"
#include "tar_reader.h"

namespace pellumo {
namespace {

// Larger runtimes are refused whatever their line says: the player and its libraries weigh
// a small fraction of this.
constexpr std::int64_t kMaxUnpacked = std::int64_t{4} << 30;
// zstd's window: 128 MiB at most, so that a hostile frame cannot ask for more memory.
constexpr int kMaxWindowLog = 27;

// Writes the archive's entries under a folder, each file created anew (never through a link,
// never over another entry) and put on disk before the next.
class TFolderWriter : public TTarSink {
public:
    explicit TFolderWriter(const std::string& folder) : folder_(folder) {
        root_ = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (root_ < 0) throw ECacheError(folder, errno);
    }
    ~TFolderWriter() override {
        if (file_ >= 0) ::close(file_);
        ::close(root_);
    }
    TFolderWriter(const TFolderWriter&) = delete;
    TFolderWriter& operator=(const TFolderWriter&) = delete;

    void Folder(const std::string& path) override { MakeFolders(path); }

    void BeginFile(const std::string& path, std::int64_t size, bool executable) override {
        const std::size_t slash = path.rfind('/');
        if (slash != std::string::npos) MakeFolders(path.substr(0, slash));
        file_ = ::openat(root_, path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                         executable ? 0755 : 0644);
        if (file_ < 0 && errno == EEXIST) throw EDamagedRuntime("entrée en double : " + path);
        if (file_ < 0) throw ECacheError(folder_, errno);
        files_.push_back({path, size});
    }

    void FileBytes(std::span<const std::uint8_t> bytes) override {
        while (!bytes.empty()) {
            const ssize_t written = ::write(file_, bytes.data(), bytes.size());
            if (written < 0 && errno == EINTR) continue;
            if (written < 0) throw ECacheError(folder_, errno);
            bytes = bytes.subspan(static_cast<std::size_t>(written));
        }
    }

    void EndFile() override {
        const int file = file_;
        file_ = -1;
        // A full disk may only show here, when the bytes reach it.
        const bool synced = ::fsync(file) == 0;
        const int error = errno;
        if (::close(file) != 0 || !synced) throw ECacheError(folder_, synced ? errno : error);
    }

    std::vector<TUnpackedFile> Files() && { return std::move(files_); }

private:
    // Each part of the path a folder, made when missing; the archive lists them before their
    // files, but a folder it leaves out is made too.
    void MakeFolders(const std::string& path) {
        for (std::size_t end = 0; end != std::string::npos;) {
            end = path.find('/', end + 1);
            const std::string part = path.substr(0, end);
            if (::mkdirat(root_, part.c_str(), 0755) == 0) continue;
            struct stat status {};
            if (errno != EEXIST) throw ECacheError(folder_, errno);
            if (::fstatat(root_, part.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISDIR(status.st_mode))
                throw EDamagedRuntime("entrée en double : " + part);
        }
    }

    std::string folder_;
    int root_ = -1;
    int file_ = -1;
    std::vector<TUnpackedFile> files_;
};

using TDecompressor = std::unique_ptr<ZSTD_DCtx, decltype(&ZSTD_freeDCtx)>;

}  // namespace

std::vector<TUnpackedFile> UnpackRuntime(TStream& show, const TRuntimeSection& runtime, const std::string& folder) {
    if (runtime.unpackedSize > kMaxUnpacked) throw EDamagedRuntime("lecteur trop grand");
    TFolderWriter writer(folder);
    TTarReader archive(writer, runtime.unpackedSize);
    TDecompressor decompressor(ZSTD_createDCtx(), &ZSTD_freeDCtx);
    if (!decompressor) throw std::bad_alloc();
    ZSTD_DCtx_setParameter(decompressor.get(), ZSTD_d_windowLogMax, kMaxWindowLog);

    std::vector<std::uint8_t> in(ZSTD_DStreamInSize());
    std::vector<std::uint8_t> out(ZSTD_DStreamOutSize());
    std::int64_t unpacked = 0;
    // One call of the decompressor; returns what it has left to do (0 at the end of a frame).
    const auto step = [&](ZSTD_inBuffer& input) {
        ZSTD_outBuffer output{out.data(), out.size(), 0};
        const std::size_t left = ZSTD_decompressStream(decompressor.get(), &output, &input);
        if (ZSTD_isError(left)) throw EDamagedRuntime(ZSTD_getErrorName(left));
        unpacked += static_cast<std::int64_t>(output.pos);
        if (unpacked > runtime.unpackedSize) throw EDamagedRuntime("contenu plus grand qu'annoncé");
        archive.Consume({out.data(), output.pos});
        return std::pair{left, output.pos};
    };

    std::size_t left = 1;
    show.SetPosition(runtime.offset);
    for (std::int64_t remaining = runtime.size; remaining > 0;) {
        const auto count = static_cast<std::size_t>(std::min<std::int64_t>(remaining, static_cast<std::int64_t>(in.size())));
        show.ReadBuffer(in.data(), count);
        remaining -= static_cast<std::int64_t>(count);
        ZSTD_inBuffer input{in.data(), count, 0};
        while (input.pos < input.size) left = step(input).first;
    }
    // What the decompressor still holds; a frame cut short yields nothing more and ends here.
    while (left != 0) {
        ZSTD_inBuffer none{nullptr, 0, 0};
        const auto [stillLeft, produced] = step(none);
        if (produced == 0 && stillLeft != 0) throw EDamagedRuntime("données compressées incomplètes");
        left = stillLeft;
    }
    archive.Finish();
    return std::move(writer).Files();
}

}  // namespace pellumo
