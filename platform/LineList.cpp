#include "platform/LineList.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace veltro {

namespace {
// Blocks grow from small (short lists stay small) to this size; a longer
// line gets a block of its own.
constexpr size_t kFirstBlockBytes = 4096;
constexpr size_t kMaxBlockBytes = 1 << 20;
}  // namespace

LineList::LineList(std::initializer_list<std::string_view> lines) { Assign(lines); }
LineList::LineList(const std::vector<std::string>& lines) { Assign(lines); }
LineList::LineList(const LineList& other) { Assign(other); }

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
  for (std::string_view l : lines) push_back(l);
}

LineList::Entry LineList::Store(std::string_view line) {
  if (line.empty()) return {nullptr, 0};
  if (line.size() > left_) {
    if (nextBlock_ == 0) nextBlock_ = kFirstBlockBytes;
    if (line.size() > kMaxBlockBytes) {
      // Its own block, before the current one so that its rest stays in use.
      std::unique_ptr<char[]> own(new char[line.size()]);
      std::memcpy(own.get(), line.data(), line.size());
      const Entry entry{own.get(), line.size()};
      blocks_.insert(blocks_.end() - (blocks_.empty() ? 0 : 1), std::move(own));
      return entry;
    }
    while (nextBlock_ < line.size()) nextBlock_ *= 2;
    blocks_.emplace_back(new char[nextBlock_]);
    free_ = blocks_.back().get();
    left_ = nextBlock_;
    nextBlock_ = std::min(nextBlock_ * 2, kMaxBlockBytes);
  }
  std::memcpy(free_, line.data(), line.size());
  const Entry entry{free_, line.size()};
  free_ += line.size();
  left_ -= line.size();
  return entry;
}

std::string_view LineList::at(size_t i) const {
  if (i >= size()) throw std::out_of_range("LineList::at");
  return (*this)[i];
}

void LineList::insert(const_iterator at, std::string_view line) {
  const std::ptrdiff_t index = at.at_ - entries_.data();
  const Entry entry = Store(line);
  entries_.insert(entries_.begin() + index, entry);
}

void LineList::erase(const_iterator first, const_iterator last) {
  entries_.erase(entries_.begin() + (first.at_ - entries_.data()), entries_.begin() + (last.at_ - entries_.data()));
}

void LineList::clear() {
  std::vector<Entry>().swap(entries_);
  blocks_.clear();
  free_ = nullptr;
  left_ = 0;
  nextBlock_ = 0;
}

void LineList::swap(LineList& other) noexcept {
  entries_.swap(other.entries_);
  blocks_.swap(other.blocks_);
  std::swap(free_, other.free_);
  std::swap(left_, other.left_);
  std::swap(nextBlock_, other.nextBlock_);
}

std::vector<std::string> LineList::ToTextLines() const {
  std::vector<std::string> lines;
  lines.reserve(size());
  for (std::string_view l : *this) lines.emplace_back(l);
  return lines;
}

}  // namespace veltro
