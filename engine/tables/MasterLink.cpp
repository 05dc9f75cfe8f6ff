#include "tables/MasterLink.h"

#include <algorithm>

#include "platform/Errors.h"

namespace tinydb {

namespace {

// Longest chain of masters followed; only a chain that loops gets there.
constexpr int kMaxMasterChain = 1 << 16;

[[noreturn]] void CircularLinkError(const TTDEDataSet* detail) {
  const std::string message = "Circular datalinks are not allowed";
  if (detail == nullptr || detail->Name().empty()) throw EDatabaseError(message);
  throw EDatabaseError(detail->Name() + ": " + message);
}

}  // namespace

bool MasterChainReaches(const TTDEDataSet* dataset, const TTDEDataSet* target) {
  for (int step = 0; dataset != nullptr && step < kMaxMasterChain; ++step) {
    if (dataset == target) return true;
    const TDataSource* master = dataset->MasterSource();
    dataset = master != nullptr ? master->DataSet() : nullptr;
  }
  return dataset != nullptr;  // a loop that does not pass |target|: refuse as well
}

// ---- TDataSource ----

TDataSource::TDataSource(TTDEDataSet* dataset) { SetDataSet(dataset); }

TDataSource::~TDataSource() {
  if (dataset_ != nullptr) {
    auto& sources = dataset_->data_sources_;
    sources.erase(std::remove(sources.begin(), sources.end(), this), sources.end());
    dataset_ = nullptr;
  }
  const std::vector<TMasterDataLink*> links = links_;
  links_.clear();
  for (TMasterDataLink* link : links) {
    link->source_ = nullptr;
    try {
      link->ActiveChanged();
    } catch (...) {
      // A destructor cannot report; the link simply has no master now.
    }
  }
}

void TDataSource::SetDataSet(TTDEDataSet* dataset) {
  if (dataset == dataset_) return;
  for (TMasterDataLink* link : links_) {
    if (MasterChainReaches(dataset, link->Detail())) CircularLinkError(link->Detail());
  }
  if (dataset_ != nullptr) {
    auto& sources = dataset_->data_sources_;
    sources.erase(std::remove(sources.begin(), sources.end(), this), sources.end());
  }
  dataset_ = dataset;
  if (dataset_ != nullptr) dataset_->data_sources_.push_back(this);
  LinksActiveChanged();
}

bool TDataSource::IsActive() const { return dataset_ != nullptr && dataset_->Active(); }

void TDataSource::DataEvent(TDataEvent event, TField* field) {
  const std::vector<TMasterDataLink*> links = links_;
  for (TMasterDataLink* link : links) {
    if (std::find(links_.begin(), links_.end(), link) == links_.end()) continue;
    switch (event) {
      case TDataEvent::ActiveChanged:
        link->ActiveChanged();
        break;
      case TDataEvent::RecordChanged:
        link->RecordChanged(nullptr);
        break;
      case TDataEvent::FieldChanged:
        link->RecordChanged(field);
        break;
    }
  }
}

void TDataSource::DataSetDestroyed() {
  if (dataset_ != nullptr) {
    auto& sources = dataset_->data_sources_;
    sources.erase(std::remove(sources.begin(), sources.end(), this), sources.end());
  }
  dataset_ = nullptr;
  try {
    LinksActiveChanged();
  } catch (...) {
    // Raised from a destructor: the followers simply lose their master.
  }
}

void TDataSource::AddLink(TMasterDataLink* link) { links_.push_back(link); }

void TDataSource::RemoveLink(TMasterDataLink* link) {
  links_.erase(std::remove(links_.begin(), links_.end(), link), links_.end());
}

void TDataSource::LinksActiveChanged() {
  const std::vector<TMasterDataLink*> links = links_;
  for (TMasterDataLink* link : links) {
    if (std::find(links_.begin(), links_.end(), link) != links_.end()) link->ActiveChanged();
  }
}

// ---- TMasterDataLink ----

TMasterDataLink::TMasterDataLink(TTDEDataSet* detail) : detail_(detail) {}

TMasterDataLink::~TMasterDataLink() {
  if (source_ != nullptr) source_->RemoveLink(this);
}

void TMasterDataLink::SetDataSource(TDataSource* source) {
  if (source == source_) return;
  if (source != nullptr && MasterChainReaches(source->DataSet(), detail_))
    CircularLinkError(detail_);
  if (source_ != nullptr) source_->RemoveLink(this);
  source_ = source;
  if (source_ != nullptr) source_->AddLink(this);
  ActiveChanged();
}

void TMasterDataLink::SetFieldNames(const std::string& names) {
  if (names == field_names_) return;
  const std::string previous = field_names_;
  field_names_ = names;
  try {
    ActiveChanged();
  } catch (...) {
    field_names_ = previous;
    try {
      ResolveFields();
    } catch (...) {
      fields_.clear();
    }
    throw;
  }
}

void TMasterDataLink::ResolveFields() {
  fields_.clear();
  if (!Active() || field_names_.empty()) return;
  fields_ = source_->DataSet()->FieldsNamed(field_names_);
}

void TMasterDataLink::ActiveChanged() {
  fields_.clear();
  ResolveFields();
  if (Active() && !fields_.empty()) {
    if (OnMasterChange) OnMasterChange();
  } else {
    if (OnMasterDisable) OnMasterDisable();
  }
}

void TMasterDataLink::RecordChanged(TField* field) {
  if (!Active() || fields_.empty()) return;
  if (field != nullptr && std::find(fields_.begin(), fields_.end(), field) == fields_.end()) return;
  if (OnMasterChange) OnMasterChange();
}

}  // namespace tinydb
