#include "platform/storage/ViewSql.h"

namespace tarn::storage {

ViewQuery::ViewQuery(const KeyedSchema& schema, const FileDesc& desc, std::vector<OrderItem> items,
                     SqlFilter filter)
    : schema_(schema),
      desc_(desc),
      items_(std::move(items)),
      where_(std::move(filter.where)),
      filterComplete_(filter.complete) {
    for (bool forward : {false, true})
        for (ViewFrom from :
             {ViewFrom::Start, ViewFrom::AtValues, ViewFrom::AtRecord, ViewFrom::AfterRecord})
            selects_[forward][int(from)] = Build(forward, from, 0);
    anchorOfRow_ = "SELECT rid";
    for (const OrderItem& item : items_) anchorOfRow_ += ", " + schema_.Column(item.field);
    anchorOfRow_ += " FROM records WHERE rid = ?1";
}

bool ViewQuery::NeedsCollate(size_t i) const {
    const OrderItem& item = items_[i];
    if (desc_.fields[item.field].kind == FieldKind::Long) return false;
    return item.upper != schema_.NoCaseColumn(item.field);
}

// The item's column as the order compares it.
std::string ViewQuery::ItemSql(size_t i) const {
    const OrderItem& item = items_[i];
    std::string column = schema_.Column(item.field);
    if (!NeedsCollate(i)) return column;
    return column + (item.upper ? " COLLATE NOCASE" : " COLLATE BINARY");
}

// "The row comes at or after the anchor in the direction of travel" (after it for AfterRecord).
const SqlText& ViewQuery::Select(bool forward, ViewFrom from, uint32_t nullAnchors) const {
    if (nullAnchors == 0 || from == ViewFrom::Start) return selects_[forward][int(from)];
    auto key = std::make_tuple(forward, int(from), nullAnchors);
    auto it = nullSelects_.find(key);
    if (it == nullSelects_.end())
        it = nullSelects_.emplace(key, Build(forward, from, nullAnchors)).first;
    return it->second;
}

std::string ViewQuery::AnchorCondition(bool forward, ViewFrom from, uint32_t nullAnchors,
                                       std::vector<SqlArg>& args) const {
    if (from == ViewFrom::Start) return "";
    if (nullAnchors != 0) return NullAwareCondition(forward, from, nullAnchors, args);
    std::vector<std::string> terms;
    std::vector<bool> asc;
    for (size_t i = 0; i < items_.size(); ++i) {
        terms.push_back(ItemSql(i));
        asc.push_back(items_[i].descending != forward);
    }
    if (from != ViewFrom::AtValues) {
        terms.push_back("rid");
        asc.push_back(asc.empty() ? forward : asc.front());
    }
    if (terms.empty()) return "";
    const bool inclusive = from != ViewFrom::AfterRecord;
    bool rowValue = true;
    for (size_t i = 0; i < items_.size(); ++i)
        rowValue = rowValue && asc[i] == asc[0] && !NeedsCollate(i);
    auto anchor = [&](size_t i) { args.push_back({SqlArg::Anchor, {}, int(i)}); };
    if (rowValue) {
        std::string l, r;
        for (size_t i = 0; i < terms.size(); ++i) {
            l += (i ? ", " : "") + terms[i];
            r += i ? ", ?" : "?";
            anchor(i);
        }
        return "(" + l + ") " + (asc[0] ? ">" : "<") + (inclusive ? "=" : "") + " (" + r + ")";
    }
    // Spelt out: c1 >= v1 AND (c1 > v1 OR (c1 = v1 AND c2 > v2) OR ...), the first bound
    // letting SQLite start in the index.
    std::string sql = "(" + terms[0] + (asc[0] ? " >= ?" : " <= ?") + " AND (";
    anchor(0);
    for (size_t i = 0; i < terms.size(); ++i) {
        sql += i ? " OR (" : "(";
        for (size_t j = 0; j < i; ++j) {
            sql += terms[j] + " = ? AND ";
            anchor(j);
        }
        const bool last = i + 1 == terms.size();
        sql += terms[i] + (asc[i] ? " >" : " <") + (last && inclusive ? "=" : "") + " ?)";
        anchor(i);
    }
    return sql + "))";
}

// As AnchorCondition, for an anchor with NULL values: term by term, NULL coming before every
// value. Travelling down an item (descending), the NULLs come after every value.
std::string ViewQuery::NullAwareCondition(bool forward, ViewFrom from, uint32_t nullAnchors,
                                          std::vector<SqlArg>& args) const {
    const size_t items = items_.size();
    const size_t terms = items + (from != ViewFrom::AtValues ? 1 : 0);
    const bool inclusive = from != ViewFrom::AfterRecord;
    // Whether travel goes up the term's values: the row id goes the way of the first item.
    auto up = [&](size_t i) {
        if (items == 0) return forward;
        return items_[i < items ? i : 0].descending != forward;
    };
    auto isNull = [&](size_t i) { return i < items && (nullAnchors >> i & 1u); };
    auto term = [&](size_t i) { return i < items ? ItemSql(i) : std::string("rid"); };
    auto anchor = [&](size_t i) { args.push_back({SqlArg::Anchor, {}, int(i)}); };
    auto equal = [&](size_t i) {
        if (isNull(i)) return term(i) + " IS NULL";
        anchor(i);
        return term(i) + " = ?";
    };
    auto after = [&](size_t i, bool orEqual) {
        const bool asc = up(i);
        if (isNull(i)) {
            if (asc) return std::string(orEqual ? "1" : term(i) + " IS NOT NULL");
            return std::string(orEqual ? term(i) + " IS NULL" : "0");
        }
        anchor(i);
        const std::string cmp = term(i) + (asc ? " >" : " <") + (orEqual ? "= ?" : " ?");
        return asc || i >= items ? cmp : "(" + cmp + " OR " + term(i) + " IS NULL)";
    };
    std::string sql = "(";
    for (size_t i = 0; i < terms; ++i) {
        sql += i ? " OR (" : "(";
        for (size_t j = 0; j < i; ++j) sql += equal(j) + " AND ";
        sql += after(i, i + 1 == terms && inclusive) + ")";
    }
    return sql + ")";
}

SqlText ViewQuery::SelectByRowId(bool forward, ViewFrom from, uint32_t nullAnchors,
                                 const std::string& ridOp) const {
    SqlText q;
    q.sql = schema_.SelectFrom() + " NOT INDEXED WHERE ";
    q.args = where_.args;
    if (!where_.sql.empty()) q.sql += where_.sql + " AND ";
    const std::string anchor = AnchorCondition(forward, from, nullAnchors, q.args);
    if (!anchor.empty()) q.sql += anchor + " AND ";
    q.sql += "rid " + ridOp + " ? ORDER BY rid" + (ridOp == "<" ? " DESC" : " ASC") + " LIMIT ?";
    q.args.push_back({SqlArg::Cursor, {}, 0});
    q.args.push_back({SqlArg::Limit, {}, 0});
    return q;
}

SqlText ViewQuery::Build(bool forward, ViewFrom from, uint32_t nullAnchors) const {
    SqlText q;
    q.sql = schema_.SelectFrom();
    std::vector<SqlArg> anchorArgs;
    const std::string anchor = AnchorCondition(forward, from, nullAnchors, anchorArgs);
    if (!where_.sql.empty() || !anchor.empty()) {
        q.sql += " WHERE ";
        if (!where_.sql.empty()) q.sql += where_.sql + (anchor.empty() ? "" : " AND ");
        q.sql += anchor;
        q.args = where_.args;
        q.args.insert(q.args.end(), anchorArgs.begin(), anchorArgs.end());
    }
    q.sql += " ORDER BY ";
    bool ridAscending = forward;
    for (size_t i = 0; i < items_.size(); ++i) {
        const bool asc = items_[i].descending != forward;
        if (i == 0) ridAscending = asc;
        q.sql += ItemSql(i) + (asc ? " ASC, " : " DESC, ");
    }
    q.sql += std::string("rid") + (ridAscending ? " ASC" : " DESC") + " LIMIT ?";
    q.args.push_back({SqlArg::Limit, {}, 0});
    return q;
}

}  // namespace tarn::storage
