#include "sheet/xls/biff_record_reader.h"

#include <string>

namespace ombrix::sheet::xls {

BiffRecordReader::BiffRecordReader(Bytes stream, std::size_t start) : stream_(stream), pos_(start) {
  if (start > stream.size()) {
    ThrowBroken("レコードの位置 " + std::to_string(start) + " がストリーム (" +
                std::to_string(stream.size()) + " バイト) の外です");
  }
}

bool BiffRecordReader::Next(BiffRecord& record) {
  if (pos_ == stream_.size()) {
    return false;
  }
  if (stream_.size() - pos_ < kRecordHeaderSize) {
    ThrowBroken("位置 " + std::to_string(pos_) + " のレコードの見出しが途中で切れています");
  }
  const std::uint16_t type = U16(stream_, pos_, "レコードの見出し");
  const std::uint16_t length = U16(stream_, pos_ + 2, "レコードの見出し");
  const std::size_t body = pos_ + kRecordHeaderSize;
  if (length > stream_.size() - body) {
    ThrowBroken("位置 " + std::to_string(pos_) + " のレコード (種類 " + Hex16(type) + ") の長さ " +
                std::to_string(length) + " がストリームの終わりを越えています");
  }
  record.type = type;
  record.offset = static_cast<std::uint32_t>(pos_);
  record.body = stream_.subspan(body, length);
  pos_ = body + length;
  return true;
}

bool BiffRecordReader::PeekType(std::uint16_t& type) const {
  if (stream_.size() - pos_ < kRecordHeaderSize) {
    return false;
  }
  type = U16(stream_, pos_, "レコードの見出し");
  return true;
}

void BiffRecordReader::ReadContinues(const BiffRecord& first, std::vector<BiffSegment>& segments) {
  segments.clear();
  segments.push_back({first.offset, first.body});
  std::uint16_t type = 0;
  while (PeekType(type) && type == rec::kContinue) {
    BiffRecord next;
    Next(next);
    segments.push_back({next.offset, next.body});
  }
}

}  // namespace ombrix::sheet::xls
