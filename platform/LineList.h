// A list of text lines held compactly: the text lies in large append-only
// blocks and each line is one small entry (where its text starts, its
// length). Lines are read as string views that stay valid until clear(),
// the list's destruction or an assignment to it: adding, replacing,
// inserting or erasing lines never moves text already stored (replaced and
// erased text stays in its block until then).
//
// Beyond a threshold of text a list keeps further text in a temporary file
// (unlinked at once) mapped into memory: its pages are given back to the
// system when a new block begins and on ReleaseResident(), and are read back
// from the file on the next access. When no such file can be made or grown,
// the text goes on in memory.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace veltro {

class LineList {
  struct Entry {
    const char* text;
    size_t size;
  };

  // The entries, in one array that grows without copying once large: it is
  // then a mapping of its own, moved and grown by the system (mremap), so
  // a long list neither copies nor touches its entries again as it grows,
  // and shrinking it costs nothing. Throws std::bad_alloc as a vector does.
  class Entries {
   public:
    Entries() = default;
    Entries(const Entries&) = delete;
    Entries& operator=(const Entries&) = delete;
    ~Entries() { Reallocate(0); }
    size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    size_t capacity() const { return capacity_; }
    Entry* data() { return data_; }
    const Entry* data() const { return data_; }
    Entry& operator[](size_t i) { return data_[i]; }
    const Entry& operator[](size_t i) const { return data_[i]; }
    void push_back(Entry entry) {
      if (size_ == capacity_) Reallocate(capacity_ < 16 ? 16 : capacity_ * 2);
      data_[size_++] = entry;
    }
    void pop_back() { --size_; }
    void insert(size_t at, Entry entry);
    void erase(size_t first, size_t last);
    void shrink(size_t n) { if (n < size_) size_ = n; }
    void reserve(size_t n) { if (n > capacity_) Reallocate(n); }
    void shrink_to_fit() { if (capacity_ > size_) Reallocate(size_); }
    void clear() { Reallocate(0); }
    void swap(Entries& other) noexcept;

   private:
    // Room for n entries (n >= size_); frees all for 0.
    void Reallocate(size_t n);
    Entry* data_ = nullptr;
    size_t size_ = 0;
    size_t capacity_ = 0;
    bool mapped_ = false;
  };

 public:
  class const_iterator {
   public:
    using iterator_category = std::random_access_iterator_tag;
    using value_type = std::string_view;
    using difference_type = std::ptrdiff_t;
    using pointer = void;
    using reference = std::string_view;

    const_iterator() = default;
    std::string_view operator*() const { return {at_->text, at_->size}; }
    std::string_view operator[](difference_type n) const { return *(*this + n); }
    const_iterator& operator++() { ++at_; return *this; }
    const_iterator operator++(int) { const_iterator old = *this; ++at_; return old; }
    const_iterator& operator--() { --at_; return *this; }
    const_iterator operator--(int) { const_iterator old = *this; --at_; return old; }
    const_iterator& operator+=(difference_type n) { at_ += n; return *this; }
    const_iterator& operator-=(difference_type n) { at_ -= n; return *this; }
    friend const_iterator operator+(const_iterator i, difference_type n) { return i += n; }
    friend const_iterator operator+(difference_type n, const_iterator i) { return i += n; }
    friend const_iterator operator-(const_iterator i, difference_type n) { return i -= n; }
    friend difference_type operator-(const_iterator a, const_iterator b) { return a.at_ - b.at_; }
    friend bool operator==(const_iterator a, const_iterator b) { return a.at_ == b.at_; }
    friend auto operator<=>(const_iterator a, const_iterator b) { return a.at_ <=> b.at_; }

   private:
    friend class LineList;
    explicit const_iterator(const Entry* at) : at_(at) {}
    const Entry* at_ = nullptr;
  };
  using iterator = const_iterator;
  using value_type = std::string_view;
  using size_type = size_t;

  LineList() = default;
  LineList(std::initializer_list<std::string_view> lines);
  explicit LineList(const std::vector<std::string>& lines);
  // A copy holds only the lines' current text.
  LineList(const LineList& other);
  LineList& operator=(const LineList& other);
  // The moved-from list is empty.
  LineList(LineList&& other) noexcept;
  LineList& operator=(LineList&& other) noexcept;
  ~LineList();
  LineList& operator=(const std::vector<std::string>& lines);
  LineList& operator=(std::initializer_list<std::string_view> lines);

  size_t size() const { return entries_.size(); }
  bool empty() const { return entries_.empty(); }
  std::string_view operator[](size_t i) const { return {entries_[i].text, entries_[i].size}; }
  std::string_view at(size_t i) const;  // throws std::out_of_range past the end
  std::string_view front() const { return (*this)[0]; }
  std::string_view back() const { return (*this)[size() - 1]; }
  const_iterator begin() const { return const_iterator(entries_.data()); }
  const_iterator end() const { return const_iterator(entries_.data() + entries_.size()); }

  // line may be a view into this list.
  void push_back(std::string_view line) { entries_.push_back(Store(line)); }
  void emplace_back(std::string_view line) { push_back(line); }
  void pop_back() { entries_.pop_back(); }
  void insert(const_iterator at, std::string_view line);
  void Replace(size_t index, std::string_view line) { entries_[index] = Store(line); }
  void erase(const_iterator at) { erase(at, at + 1); }
  void erase(const_iterator first, const_iterator last);
  // Keeps the lines i for which keep(line) holds, in their order.
  template <typename Keep>
  void KeepIf(Keep keep) {
    size_t to = 0;
    for (size_t i = 0; i < entries_.size(); ++i)
      if (keep((*this)[i])) entries_[to++] = entries_[i];
    entries_.shrink(to);
  }
  // Frees all text; views into the list become invalid.
  void clear();
  void reserve(size_t lines) { entries_.reserve(lines); }
  // Drops the room kept for further lines (not their text).
  void shrink_to_fit() { entries_.shrink_to_fit(); }
  size_t capacity() const { return entries_.capacity(); }
  void swap(LineList& other) noexcept;
  // Gives the resident pages of text kept in the file back to the system
  // (they stay readable); cheap, and nothing for a list held in memory.
  // Called now and then while a big list is read from front to back.
  void ReleaseResident() const;
  // ReleaseResident() every few thousand lines, for a loop that reads line i.
  void ReleaseResidentAt(size_t i) const {
    if (i % kReleaseEvery == 0 && spill_) ReleaseResident();
  }
  static constexpr size_t kReleaseEvery = 4096;
  // Bytes of text kept in the file.
  size_t FileBytes() const;

  // Text beyond threshold bytes goes to the file in blocks of at least
  // blockBytes (rounded up to whole pages). Answers the previous limits.
  struct SpillLimits {
    size_t threshold;
    size_t blockBytes;
  };
  static SpillLimits SetSpillLimits(SpillLimits limits);

  std::vector<std::string> ToTextLines() const;

  friend bool operator==(const LineList& a, const LineList& b) { return Equal(a, b); }
  friend bool operator==(const LineList& a, const std::vector<std::string>& b) { return Equal(a, b); }

 private:
  template <typename List>
  static bool Equal(const LineList& a, const List& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
      if (a[i] != std::string_view(b[i])) return false;
    return true;
  }
  struct SpillFile;
  struct SpillFileDelete {
    void operator()(SpillFile* file) const;
  };
  Entry Store(std::string_view line);
  char* MakeRoom(size_t bytes);
  bool SpillRoom(size_t bytes, char*& own);
  template <typename List>
  void Assign(const List& lines);

  Entries entries_;
  std::vector<std::unique_ptr<char[]>> blocks_;
  char* free_ = nullptr;  // the unused rest of the last block
  size_t left_ = 0;
  size_t nextBlock_ = 0;  // size of the next block
  size_t heapBytes_ = 0;  // text bytes of the heap blocks
  std::unique_ptr<SpillFile, SpillFileDelete> spill_;
  bool spillFailed_ = false;  // the file could not be made or grown: heap only
};

}  // namespace veltro
