// How one cursor follows another: a data source is the handle on a
// cursor that others watch, and a master link is the watcher a detail
// cursor keeps on its master. The link resolves the master's field names
// into field objects and tells its owner when the master's current record
// or one of those fields changes, and when the master goes away.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "tables/DataSet.h"

namespace tinydb {

class TMasterDataLink;

// A handle on one cursor (or on none) that links watch. It neither owns
// the cursor nor is owned by it; whichever dies first detaches the other.
class TDataSource {
 public:
  explicit TDataSource(TTDEDataSet* dataset = nullptr);
  // Detaches from the cursor; the links that used it lose their source.
  ~TDataSource();
  TDataSource(const TDataSource&) = delete;
  TDataSource& operator=(const TDataSource&) = delete;

  // The watched cursor, or null.
  TTDEDataSet* DataSet() const { return dataset_; }
  // Watches |dataset| instead (null: none). Fails with "Circular datalinks
  // are not allowed", changing nothing, when a cursor that follows this
  // source would end up following itself.
  void SetDataSet(TTDEDataSet* dataset);
  // True when the watched cursor is open.
  bool IsActive() const;

 private:
  friend class TTDEDataSet;
  friend class TMasterDataLink;

  // The cursor reports an event (TTDEDataSet::NotifyDataSources).
  void DataEvent(TDataEvent event, TField* field);
  // The cursor is being destroyed: forget it and tell the links.
  void DataSetDestroyed();
  void AddLink(TMasterDataLink* link);
  void RemoveLink(TMasterDataLink* link);
  void LinksActiveChanged();

  TTDEDataSet* dataset_ = nullptr;
  std::vector<TMasterDataLink*> links_;
};

// The link a detail cursor keeps on its master, through a data source.
class TMasterDataLink {
 public:
  // |detail| is the cursor that owns the link (it must outlive it).
  explicit TMasterDataLink(TTDEDataSet* detail);
  // Leaves its data source.
  ~TMasterDataLink();
  TMasterDataLink(const TMasterDataLink&) = delete;
  TMasterDataLink& operator=(const TMasterDataLink&) = delete;

  TTDEDataSet* Detail() const { return detail_; }
  TDataSource* DataSource() const { return source_; }
  // Watches |source| (null: none). Fails with "Circular datalinks are not
  // allowed", changing nothing, when the chain of masters from |source|
  // reaches the detail. Then behaves as when the master opens or closes.
  void SetDataSource(TDataSource* source);

  // The master's field names, separated by ";".
  const std::string& FieldNames() const { return field_names_; }
  // Stores the names and, while the master is open, resolves them (an
  // unknown name fails as the master's FieldNamed fails: the previous
  // names come back and the error propagates).
  void SetFieldNames(const std::string& names);
  // The master's field objects for FieldNames, in their order; empty while
  // the master is closed.
  const std::vector<TField*>& Fields() const { return fields_; }
  // True when the source is enabled and the master open.
  bool Active() const { return source_ != nullptr && source_->IsActive(); }

  // Raised when the master opens, moves to another record, changes one of
  // the linked fields, or when the names change while it is open (with at
  // least one field).
  std::function<void()> OnMasterChange;
  // Raised when the master closes or is disabled, or the names become
  // empty.
  std::function<void()> OnMasterDisable;

 private:
  friend class TDataSource;

  // The master opened or closed (or the source, or the names, changed).
  void ActiveChanged();
  void RecordChanged(TField* field);
  // Resolves FieldNames against the open master into fields_.
  void ResolveFields();

  TTDEDataSet* detail_;
  TDataSource* source_ = nullptr;
  std::string field_names_;
  std::vector<TField*> fields_;
};

// True when following the masters from |dataset| (the cursor itself, its
// master source's cursor, and so on) reaches |target|.
bool MasterChainReaches(const TTDEDataSet* dataset, const TTDEDataSet* target);

}  // namespace tinydb
