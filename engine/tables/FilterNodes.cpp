// Nodes of a compiled filter and the list that owns them.
#include <cstring>
#include <new>

#include "tables/FilterParser.h"

namespace tinydb {

void TExprNode::SetBoolean(bool value) {
  Fixed[0] = value ? 1 : 0;
  Data = Fixed;
}

void TExprNode::SetInt32(int32_t value) {
  std::memcpy(Fixed, &value, sizeof value);
  Data = Fixed;
}

void TExprNode::SetInt64(int64_t value) {
  std::memcpy(Fixed, &value, sizeof value);
  Data = Fixed;
}

void TExprNode::SetDouble(double value) {
  std::memcpy(Fixed, &value, sizeof value);
  Data = Fixed;
}

void TExprNode::SetTextValue() { Data = reinterpret_cast<const uint8_t*>(Text.c_str()); }

std::string_view TExprNode::TextValue() const {
  return std::string_view(reinterpret_cast<const char*>(Data));
}

TExprNodes::~TExprNodes() {
  Clear();
  for (TExprNode* block : blocks_) ::operator delete(block);
}

void TExprNodes::Clear() {
  root_ = nullptr;
  while (first_ != nullptr) {
    TExprNode* next = first_->Next;
    first_->~TExprNode();
    first_ = next;
  }
  // Keep the first block for the next tree; the rest go.
  for (size_t i = 1; i < blocks_.size(); ++i) ::operator delete(blocks_[i]);
  if (blocks_.size() > 1) blocks_.erase(blocks_.begin() + 1, blocks_.end());
  used_in_last_block_ = blocks_.empty() ? kNodesPerBlock : 0;
}

TExprNode* TExprNodes::NewNode(TExprNodeKind kind) {
  if (used_in_last_block_ == kNodesPerBlock) {
    blocks_.push_back(static_cast<TExprNode*>(::operator new(kNodesPerBlock * sizeof(TExprNode))));
    used_in_last_block_ = 0;
  }
  TExprNode* node = new (blocks_.back() + used_in_last_block_) TExprNode;
  ++used_in_last_block_;
  node->Owner = this;
  node->Kind = kind;
  node->Next = first_;
  first_ = node;
  return node;
}

}  // namespace tinydb
