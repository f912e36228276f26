#include "platform/LineList.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>
#include <stdexcept>
#include <type_traits>

namespace veltro {

namespace {
// Blocks grow from small (short lists stay small) to this size; a longer
// line gets a block of its own.
constexpr size_t kFirstBlockBytes = 4096;
constexpr size_t kMaxBlockBytes = 1 << 20;

// A build may lower the threshold to push every list through the file.
#ifdef VELTRO_LINELIST_SPILL_BYTES
LineList::SpillLimits gSpill{VELTRO_LINELIST_SPILL_BYTES, 1};
#else
LineList::SpillLimits gSpill{size_t{16} << 20, size_t{8} << 20};
#endif

size_t PageBytes() {
  static const size_t page = static_cast<size_t>(::sysconf(_SC_PAGESIZE));
  return page;
}
size_t WholePages(size_t bytes) { return (bytes + PageBytes() - 1) / PageBytes() * PageBytes(); }

// The folder of the file: $TMPDIR, else /var/tmp (a disk where /tmp may be
// memory).
const char* SpillFolder() {
  const char* dir = std::getenv("TMPDIR");
  return dir && *dir ? dir : "/var/tmp";
}

// An unlinked file for reading and writing in SpillFolder(); -1 if none.
int OpenUnlinkedFile() {
  const char* dir = SpillFolder();
  int fd = ::open(dir, O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
  if (fd >= 0 || (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)) return fd;
  // A file system without unnamed files: a named one, unlinked at once.
  std::string name = std::string(dir) + "/.lines-XXXXXX";
  fd = ::mkostemp(name.data(), O_CLOEXEC);
  if (fd >= 0) ::unlink(name.c_str());
  return fd;
}
}  // namespace

// The file's blocks are mapped one after the other into windows of address
// space reserved beforehand, so that a window is one mapping of the file and
// gives its pages back in one call. The block being filled is anonymous
// memory at its place: when the next block begins it is written to the file,
// the file is mapped (read only) in its place, and its pages move on to be
// the next block, so that the text is not written through faults of mapped
// file pages.
struct LineList::SpillFile {
  struct Window {
    char* at;
    size_t reserved;
    size_t used;
  };
  static constexpr size_t kWindowBytes = size_t{1} << 30;

  int fd = -1;
  off_t size = 0;
  std::vector<Window> windows;
  char* last = nullptr;  // a line's own block (mapped file) written last
  size_t lastBytes = 0;
  char* staging = nullptr;  // the anonymous block being filled
  size_t stagingBytes = 0;
  off_t stagingOffset = 0;

  ~SpillFile() {
    for (const Window& w : windows) ::munmap(w.at, w.reserved);
    if (fd >= 0) ::close(fd);
  }

  // The next bytes (whole pages) of a window and of the file, taken by
  // Take() once in use; nullptr when there is none.
  char* Place(size_t bytes, off_t& offset) {
    if (windows.empty() || windows.back().reserved - windows.back().used < bytes) {
      const size_t reserve = std::max(kWindowBytes, bytes);
      void* at = ::mmap(nullptr, reserve, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
      if (at == MAP_FAILED) return nullptr;
      windows.push_back({static_cast<char*>(at), reserve, 0});
    }
    offset = size;
    return windows.back().at + windows.back().used;
  }
  void Take(size_t bytes) {
    windows.back().used += bytes;
    size += static_cast<off_t>(bytes);
  }
  // After a failed fixed mapping the rest of the window is not to be trusted.
  void Distrust() { windows.back().used = windows.back().reserved; }

  // A block of the file mapped for writing (a line of its own); its room
  // is reserved first, so that a full disk shows here, never as a fault.
  char* Grow(size_t bytes) {
    off_t offset = 0;
    char* at = Place(bytes, offset);
    if (!at || ::posix_fallocate(fd, offset, static_cast<off_t>(bytes)) != 0) return nullptr;
    if (::mmap(at, bytes, PROT_READ | PROT_WRITE, MAP_SHARED | MAP_FIXED, fd, offset) == MAP_FAILED) {
      Distrust();
      return nullptr;
    }
    Take(bytes);
    last = at;
    lastBytes = bytes;
    return at;
  }

  bool WriteStaging() const {
    size_t done = 0;
    while (done < stagingBytes) {
      const ssize_t n = ::pwrite(fd, staging + done, stagingBytes - done, stagingOffset + static_cast<off_t>(done));
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return false;
      done += static_cast<size_t>(n);
    }
    return true;
  }

  // The next block to fill; nullptr when there is none, the block filled
  // so far staying where it is (and in memory when it could not be written:
  // a full disk shows as a failed write, before anything is mapped).
  char* NextStaging(size_t bytes) {
    off_t offset = 0;
    char* at = Place(bytes, offset);
    if (!at) return nullptr;
    if (!staging) {
      if (::mmap(at, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0) == MAP_FAILED) {
        Distrust();
        return nullptr;
      }
    } else {
      if (!WriteStaging()) return nullptr;
      if (::mremap(staging, stagingBytes, bytes, MREMAP_MAYMOVE | MREMAP_FIXED, at) == MAP_FAILED) {
        Distrust();
        return nullptr;
      }
      if (::mmap(staging, stagingBytes, PROT_READ, MAP_SHARED | MAP_FIXED, fd, stagingOffset) == MAP_FAILED) {
        // The pages go back under the lines they hold; without them the
        // text would be gone.
        if (::mremap(at, bytes, stagingBytes, MREMAP_MAYMOVE | MREMAP_FIXED, staging) == MAP_FAILED) std::abort();
        Distrust();
        return nullptr;
      }
    }
    Take(bytes);
    staging = at;
    stagingBytes = bytes;
    stagingOffset = offset;
    return at;
  }

  void ReleaseLast() {
    if (last) ::madvise(last, lastBytes, MADV_DONTNEED);
    last = nullptr;
  }

  // All but the block being filled, which is no file's yet.
  void Release() const {
    for (const Window& w : windows) {
      char* const end = w.at + w.used;
      if (staging >= w.at && staging < end) {
        if (staging > w.at) ::madvise(w.at, static_cast<size_t>(staging - w.at), MADV_DONTNEED);
        char* const after = staging + stagingBytes;
        if (after < end) ::madvise(after, static_cast<size_t>(end - after), MADV_DONTNEED);
      } else if (w.used > 0) {
        ::madvise(w.at, w.used, MADV_DONTNEED);
      }
    }
  }
};

void LineList::SpillFileDelete::operator()(SpillFile* file) const { delete file; }

void LineList::Entries::Reallocate(size_t n) {
  // Arrays from this size on are mappings of their own.
  constexpr size_t kMappedBytes = size_t{1} << 20;
  if (n > std::numeric_limits<size_t>::max() / sizeof(Entry)) throw std::bad_alloc();
  const size_t bytes = n * sizeof(Entry);
  const size_t oldBytes = capacity_ * sizeof(Entry);
  if (n == 0) {
    if (mapped_)
      ::munmap(data_, oldBytes);
    else
      std::free(data_);
    data_ = nullptr;
    size_ = capacity_ = 0;
    mapped_ = false;
    return;
  }
  void* room = nullptr;
  bool mapped = false;
  if (bytes >= kMappedBytes) {
    const size_t pages = WholePages(bytes);
    mapped = true;
    if (mapped_) {
      room = ::mremap(data_, oldBytes, pages, MREMAP_MAYMOVE);
      if (room == MAP_FAILED) throw std::bad_alloc();
    } else {
      room = ::mmap(nullptr, pages, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
      if (room == MAP_FAILED) throw std::bad_alloc();
      if (size_ > 0) std::memcpy(room, data_, size_ * sizeof(Entry));
      std::free(data_);
    }
    n = pages / sizeof(Entry);
  } else if (mapped_) {
    room = std::malloc(bytes);
    if (!room) throw std::bad_alloc();
    std::memcpy(room, data_, size_ * sizeof(Entry));
    ::munmap(data_, oldBytes);
  } else {
    room = std::realloc(data_, bytes);
    if (!room) throw std::bad_alloc();
  }
  data_ = static_cast<Entry*>(room);
  capacity_ = n;
  mapped_ = mapped;
}

void LineList::Entries::insert(size_t at, Entry entry) {
  if (size_ == capacity_) Reallocate(capacity_ < 16 ? 16 : capacity_ * 2);
  std::memmove(data_ + at + 1, data_ + at, (size_ - at) * sizeof(Entry));
  data_[at] = entry;
  ++size_;
}

void LineList::Entries::erase(size_t first, size_t last) {
  std::memmove(data_ + first, data_ + last, (size_ - last) * sizeof(Entry));
  size_ -= last - first;
}

void LineList::Entries::swap(Entries& other) noexcept {
  std::swap(data_, other.data_);
  std::swap(size_, other.size_);
  std::swap(capacity_, other.capacity_);
  std::swap(mapped_, other.mapped_);
}

LineList::SpillLimits LineList::SetSpillLimits(SpillLimits limits) {
  const SpillLimits old = gSpill;
  gSpill = limits;
  return old;
}

LineList::LineList(std::initializer_list<std::string_view> lines) { Assign(lines); }
LineList::LineList(const std::vector<std::string>& lines) { Assign(lines); }
LineList::LineList(const LineList& other) { Assign(other); }
LineList::LineList(LineList&& other) noexcept { swap(other); }
LineList::~LineList() = default;

LineList& LineList::operator=(LineList&& other) noexcept {
  if (this != &other) {
    LineList taken(std::move(other));
    swap(taken);
  }
  return *this;
}

LineList& LineList::operator=(const LineList& other) {
  if (this != &other) {
    LineList copy(other);
    swap(copy);
  }
  return *this;
}

LineList& LineList::operator=(const std::vector<std::string>& lines) {
  LineList copy(lines);
  swap(copy);
  return *this;
}

LineList& LineList::operator=(std::initializer_list<std::string_view> lines) {
  LineList copy(lines);
  swap(copy);
  return *this;
}

template <typename List>
void LineList::Assign(const List& lines) {
  size_t bytes = 0;
  for (std::string_view l : lines) bytes += l.size();
  // One block for the whole text when it is not large.
  nextBlock_ = std::clamp(bytes, kFirstBlockBytes, kMaxBlockBytes);
  entries_.reserve(lines.size());
  size_t n = 0;
  for (std::string_view l : lines) {
    push_back(l);
    if constexpr (std::is_same_v<List, LineList>) lines.ReleaseResidentAt(++n);
  }
}

LineList::Entry LineList::Store(std::string_view line) {
  if (line.empty()) return {nullptr, 0};
  if (line.size() > left_) {
    if (char* own = MakeRoom(line.size())) {
      std::memcpy(own, line.data(), line.size());
      return {own, line.size()};
    }
  }
  std::memcpy(free_, line.data(), line.size());
  const Entry entry{free_, line.size()};
  free_ += line.size();
  left_ -= line.size();
  return entry;
}

// A new current block with room for bytes; or, for a line longer than a
// block, room of its own (answered), the current block staying current.
char* LineList::MakeRoom(size_t bytes) {
  char* own = nullptr;
  if (heapBytes_ >= gSpill.threshold && !spillFailed_ && SpillRoom(bytes, own)) return own;
  if (nextBlock_ == 0) nextBlock_ = kFirstBlockBytes;
  if (bytes > kMaxBlockBytes) {
    // Its own block, before the current one so that its rest stays in use.
    std::unique_ptr<char[]> block(new char[bytes]);
    char* room = block.get();
    blocks_.insert(blocks_.end() - (blocks_.empty() ? 0 : 1), std::move(block));
    heapBytes_ += bytes;
    return room;
  }
  while (nextBlock_ < bytes) nextBlock_ *= 2;
  blocks_.emplace_back(new char[nextBlock_]);
  free_ = blocks_.back().get();
  left_ = nextBlock_;
  heapBytes_ += nextBlock_;
  nextBlock_ = std::min(nextBlock_ * 2, kMaxBlockBytes);
  return nullptr;
}

// MakeRoom in the file; false when the file cannot be made or grown (from
// then on the heap is used).
bool LineList::SpillRoom(size_t bytes, char*& own) {
  if (!spill_) {
    const int fd = OpenUnlinkedFile();
    if (fd < 0) {
      spillFailed_ = true;
      return false;
    }
    spill_.reset(new SpillFile);
    spill_->fd = fd;
  }
  // A line's own block goes back once written (the blocks filled line by
  // line go to the file without resident pages).
  spill_->ReleaseLast();
  const bool alone = bytes > kMaxBlockBytes;
  const size_t block = WholePages(alone ? bytes : std::max(gSpill.blockBytes, bytes));
  char* room = alone ? spill_->Grow(block) : spill_->NextStaging(block);
  if (!room) {
    spillFailed_ = true;
    return false;
  }
  if (alone) {
    own = room;
  } else {
    free_ = room;
    left_ = block;
  }
  return true;
}

std::string_view LineList::at(size_t i) const {
  if (i >= size()) throw std::out_of_range("LineList::at");
  return (*this)[i];
}

void LineList::insert(const_iterator at, std::string_view line) {
  const std::ptrdiff_t index = at.at_ - entries_.data();
  const Entry entry = Store(line);
  entries_.insert(static_cast<size_t>(index), entry);
}

void LineList::erase(const_iterator first, const_iterator last) {
  entries_.erase(static_cast<size_t>(first.at_ - entries_.data()), static_cast<size_t>(last.at_ - entries_.data()));
}

void LineList::clear() {
  entries_.clear();
  blocks_.clear();
  free_ = nullptr;
  left_ = 0;
  nextBlock_ = 0;
  heapBytes_ = 0;
  spill_.reset();
  spillFailed_ = false;
}

void LineList::swap(LineList& other) noexcept {
  entries_.swap(other.entries_);
  blocks_.swap(other.blocks_);
  std::swap(free_, other.free_);
  std::swap(left_, other.left_);
  std::swap(nextBlock_, other.nextBlock_);
  std::swap(heapBytes_, other.heapBytes_);
  spill_.swap(other.spill_);
  std::swap(spillFailed_, other.spillFailed_);
}

void LineList::ReleaseResident() const {
  if (spill_) spill_->Release();
}

size_t LineList::FileBytes() const { return spill_ ? static_cast<size_t>(spill_->size) : 0; }

std::vector<std::string> LineList::ToTextLines() const {
  std::vector<std::string> lines;
  lines.reserve(size());
  for (std::string_view l : *this) lines.emplace_back(l);
  return lines;
}

}  // namespace veltro
