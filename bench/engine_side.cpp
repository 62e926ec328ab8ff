#include "bench/engine_side.h"

#include <filesystem>

#include "bench/stopwatch.h"

namespace bench {

using xbase::kBof;
using xbase::kEof;
using xbase::kFound;

EngineSide::EngineSide(const std::string& dir, const TableShape& shape)
    : dir_(dir), shape_(shape), ctx_(dir) {
    ctx_.setCacheLimit(kCacheBytes);
}

void EngineSide::need(int rc, const std::string& what) {
    const int pending = ctx_.errorCode();
    if (rc >= 0 && pending == 0) return;
    throw BenchFailure("engine: " + what + " failed (code " +
                       std::to_string(pending != 0 ? pending : rc) + "): " + ctx_.errorText());
}

void EngineSide::open() {
    table_ = ctx_.open(shape_.name);
    if (!table_) need(-1, "opening " + shape_.name);
}

void EngineSide::closeTable() {
    const int rc = table_->close();
    table_ = nullptr;
    need(rc, "closing " + shape_.name);
}

void EngineSide::close() {
    if (table_) closeTable();
}

xbase::Tag* EngineSide::tagNamed(const std::string& name) {
    xbase::Tag* tag = table_->tag(name);
    if (!tag) need(-1, "finding tag " + name);
    return tag;
}

void EngineSide::appendRows(const RowSet& rows) {
    std::vector<xbase::Field*> fields;
    for (int f = 0; f < table_->fieldCount(); ++f) fields.push_back(table_->fieldAt(f));
    for (size_t r = 0; r < rows.size(); ++r) {
        need(table_->appendBlank(), "appendBlank");
        for (size_t f = 0; f < fields.size(); ++f) {
            if (fields[f]->type() != 'M')
                fields[f]->assign(rows.text(r, static_cast<int>(f)));
            else if (!rows.memo(r).empty())
                fields[f]->assignMemo(rows.memo(r));
        }
    }
    need(table_->flush(), "flush after appending");
}

double EngineSide::bulkAppend(const RowSet& rows) {
    Stopwatch watch;
    table_ = ctx_.create(shape_.name, shape_.fields);
    if (!table_) need(-1, "creating " + shape_.name);
    appendRows(rows);
    closeTable();
    const double seconds = watch.seconds();
    open();
    return seconds;
}

double EngineSide::createTag(const TagShape& tag) {
    Stopwatch watch;
    need(ctx_.createIndex(table_, tag.name, {{tag.name, tag.expression}}),
         "creating tag " + tag.name);
    return watch.seconds();
}

double EngineSide::reindex() {
    std::vector<xbase::TagInfo> tags;
    for (const TagShape& t : shape_.tags) tags.push_back({t.name, t.expression});
    ctx_.setSafety(false);
    Stopwatch watch;
    const int rc = ctx_.createIndex(table_, shape_.name, tags);
    const double seconds = watch.seconds();
    ctx_.setSafety(true);
    need(rc, "building every tag of " + shape_.name);
    // The single-tag groups are superseded by the table's own group.
    for (const TagShape& t : shape_.tags) std::filesystem::remove(dir_ + "/" + t.name + ".cgp");
    return seconds;
}

double EngineSide::seek(const TagShape& tag, const std::vector<std::string>& keys,
                        SeekResults* out) {
    table_->select(tagNamed(tag.name));
    out->recs.assign(keys.size(), 0);
    out->exact = 0;
    Stopwatch watch;
    for (size_t i = 0; i < keys.size(); ++i) {
        const int rc = table_->seek(keys[i]);
        if (rc < 0) need(rc, "seek");
        if (rc == kFound) ++out->exact;
        out->recs[i] = rc == kEof ? 0 : table_->recNo();
    }
    return watch.seconds();
}

double EngineSide::walk(const TagShape& tag, bool forward, WalkDigest* out) {
    table_->select(tagNamed(tag.name));
    *out = {};
    Stopwatch watch;
    int rc = forward ? table_->top() : table_->bottom();
    while (rc == kFound) {
        out->add(table_->recNo());
        rc = table_->skip(forward ? 1 : -1);
    }
    const double seconds = watch.seconds();
    need(rc, "walk");
    if (rc != (forward ? kEof : kBof) && table_->recCount() > 0)
        throw BenchFailure("engine: walk ended with result " + std::to_string(rc));
    return seconds;
}

double EngineSide::goPosition(const TagShape& tag, const std::vector<uint32_t>& recs,
                              std::vector<double>* positions) {
    table_->select(tagNamed(tag.name));
    positions->assign(recs.size(), 0.0);
    Stopwatch watch;
    for (size_t i = 0; i < recs.size(); ++i) {
        need(table_->go(recs[i]), "go");
        (*positions)[i] = table_->position();
    }
    const double seconds = watch.seconds();
    need(0, "position");
    return seconds;
}

double EngineSide::appendWithTags(const RowSet& rows) {
    Stopwatch watch;
    appendRows(rows);
    closeTable();
    const double seconds = watch.seconds();
    open();
    if (table_->tagCount() != static_cast<int>(shape_.tags.size()))
        throw BenchFailure("engine: " + shape_.name + " reopened with " +
                           std::to_string(table_->tagCount()) + " tags");
    return seconds;
}

double EngineSide::deleteRecords(const std::vector<uint32_t>& recs) {
    table_->select(nullptr);
    Stopwatch watch;
    for (uint32_t r : recs) {
        need(table_->go(r), "go");
        table_->deleteRecord();
    }
    need(table_->flush(), "flush after deleting");
    return watch.seconds();
}

double EngineSide::pack() {
    Stopwatch watch;
    need(table_->pack(), "pack");
    return watch.seconds();
}

void EngineSide::check() {
    std::vector<std::string> problems;
    table_->check(&problems);
    need(0, "check");
    if (problems.empty()) return;
    std::string text = "engine: check of " + shape_.name + " found " +
                       std::to_string(problems.size()) + " problems:";
    for (size_t i = 0; i < problems.size() && i < 5; ++i) text += "\n  " + problems[i];
    throw BenchFailure(text);
}

}  // namespace bench
