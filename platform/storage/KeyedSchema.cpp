#include "platform/storage/KeyedSchema.h"

namespace tarn::storage {

namespace {

std::string Quote(const std::string& name) {
    std::string q = "\"";
    for (char c : name) q += c == '"' ? std::string("\"\"") : std::string(1, c);
    return q + "\"";
}

const char* KindName(FieldKind k) {
    switch (k) {
        case FieldKind::Long:
            return "LONG";
        case FieldKind::CString:
            return "CSTRING";
        case FieldKind::FixedString:
            return "STRING";
    }
    return "?";
}

std::string Param(int i) { return "?" + std::to_string(i); }

}  // namespace

KeyedSchema::KeyedSchema(const FileDesc& desc) : desc_(desc), noCase_(desc.fields.size(), false) {
    for (const KeyDesc& k : desc_.keys)
        for (const KeyComponent& c : k.components)
            if (k.noCase && desc_.fields[c.field - 1].kind != FieldKind::Long)
                noCase_[c.field - 1] = true;
    selectList_ = "rid, chg";
    for (size_t i = 0; i < desc_.fields.size(); ++i) selectList_ += ", " + Column(int(i));
    for (size_t i = 0; i < desc_.blobs.size(); ++i)
        selectList_ += ", " + Quote(desc_.blobs[i].name);
}

std::string KeyedSchema::Column(int field) const { return Quote(desc_.fields[field].name); }

std::string KeyedSchema::SelectFrom() const { return "SELECT " + selectList_ + " FROM records"; }

std::vector<KeyedSchema::ColumnDecl> KeyedSchema::Columns() const {
    std::vector<ColumnDecl> cols{{"rid", "INTEGER"}, {"chg", "INTEGER"}};
    for (const FieldDesc& f : desc_.fields)
        cols.push_back({f.name, f.kind == FieldKind::Long ? "INTEGER" : "TEXT"});
    for (const BlobDesc& b : desc_.blobs) cols.push_back({b.name, "BLOB"});
    return cols;
}

std::string KeyedSchema::CreateSql() const {
    std::string sql =
        "CREATE TABLE IF NOT EXISTS records(rid INTEGER PRIMARY KEY AUTOINCREMENT, "
        "chg INTEGER NOT NULL DEFAULT 1";
    const std::vector<ColumnDecl> cols = Columns();
    for (size_t i = kFirstField; i < cols.size(); ++i) {
        sql += ", " + Quote(cols[i].name) + " " + cols[i].type;
        if (i < kFirstField + noCase_.size() && noCase_[i - kFirstField]) sql += " COLLATE NOCASE";
    }
    sql += ");\n";
    for (size_t k = 0; k < desc_.keys.size(); ++k) {
        const KeyDesc& key = desc_.keys[k];
        sql += std::string("CREATE ") + (key.duplicates ? "" : "UNIQUE ") +
               "INDEX IF NOT EXISTS key" + std::to_string(k) + " ON records(";
        bool uniform = true;
        for (const KeyComponent& c : key.components)
            uniform = uniform && c.ascending == key.components[0].ascending;
        for (size_t i = 0; i < key.components.size(); ++i) {
            const KeyComponent& c = key.components[i];
            // Uniform keys are read backward through an ascending index.
            sql +=
                (i ? ", " : "") + Column(c.field - 1) + (!uniform && !c.ascending ? " DESC" : "");
        }
        sql += ");\n";
    }
    sql += "CREATE TABLE IF NOT EXISTS layout(k TEXT PRIMARY KEY, v TEXT NOT NULL);\n";
    return sql;
}

std::string KeyedSchema::Layout() const {
    std::string s = "fields";
    for (const FieldDesc& f : desc_.fields)
        s += " " + f.name + ":" + KindName(f.kind) + "(" + std::to_string(f.size) + ")";
    for (const KeyDesc& k : desc_.keys) {
        s += "; key " + k.name + (k.duplicates ? " DUP" : "") + (k.noCase ? " NOCASE" : "");
        for (const KeyComponent& c : k.components)
            s += (c.ascending ? " +" : " -") + std::to_string(c.field);
    }
    s += "; blobs";
    for (const BlobDesc& b : desc_.blobs) s += " " + b.name;
    return s;
}

std::string KeyedSchema::InsertSql() const {
    std::vector<std::string> cols;
    for (size_t i = 0; i < desc_.fields.size(); ++i) cols.push_back(Column(int(i)));
    for (const BlobDesc& b : desc_.blobs) cols.push_back(Quote(b.name));
    std::string names, params;
    for (size_t i = 0; i < cols.size(); ++i) {
        names += (i ? ", " : "") + cols[i];
        params += (i ? ", " : "") + Param(int(i) + 1);
    }
    return "INSERT INTO records(" + names + ") VALUES(" + params + ")";
}

std::string KeyedSchema::UpdateSql(bool watched, const std::vector<int>& fields,
                                   const std::vector<int>& blobs) const {
    std::string sql = "UPDATE records SET chg = chg + 1";
    int p = 3;
    for (int f : fields) sql += ", " + Column(f) + " = " + Param(p++);
    for (int b : blobs) sql += ", " + Quote(desc_.blobs[b].name) + " = " + Param(p++);
    sql += " WHERE rid = ?1";
    if (watched) sql += " AND chg = ?2";
    return sql + " RETURNING chg";
}

std::string KeyedSchema::SelectByRidSql() const { return SelectFrom() + " WHERE rid = ?1"; }

std::vector<int> KeyedSchema::KeyFields(int key) const {
    std::vector<int> fields;
    if (key < 0) return fields;
    for (const KeyComponent& c : desc_.keys[key].components) fields.push_back(c.field - 1);
    return fields;
}

std::string KeyedSchema::SelectByKeySql(int key) const {
    std::string where;
    std::vector<int> f = KeyFields(key);
    for (size_t i = 0; i < f.size(); ++i)
        where += (i ? " AND " : "") + Column(f[i]) + " = " + Param(int(i) + 1);
    return SelectFrom() + " WHERE " + where + " ORDER BY rid LIMIT 1";
}

std::string KeyedSchema::DuplicateSql(int key) const {
    std::string sql = "SELECT rid FROM records WHERE rid <> ?100";
    std::vector<int> f = KeyFields(key);
    for (size_t i = 0; i < f.size(); ++i) sql += " AND " + Column(f[i]) + " = " + Param(int(i) + 1);
    return sql + " LIMIT 1";
}

// The SQL direction (true = ascending) of each key component and of the row id when reading.
std::vector<bool> KeyedSchema::TravelDirections(int key, bool forward) const {
    std::vector<bool> asc;
    if (key >= 0)
        for (const KeyComponent& c : desc_.keys[key].components)
            asc.push_back(c.ascending == forward);
    asc.push_back(asc.empty() ? forward : asc.front());
    return asc;
}

std::string KeyedSchema::Comparison(int key, const std::vector<bool>& asc,
                                    const SeekAnchor& anchor) const {
    std::vector<int> f = KeyFields(key);
    std::vector<std::string> cols, params;
    for (size_t i = 0; i < f.size(); ++i) {
        cols.push_back(Column(f[i]));
        params.push_back(Param(int(i) + 1));
    }
    bool inclusive = anchor.inclusive;
    if (anchor.kind == SeekAnchor::Record) {
        cols.push_back("rid");
        params.push_back(Param(int(f.size()) + 1));
    } else {
        inclusive = true;  // key values: records equal to them come first
    }
    bool uniform = true;
    for (size_t i = 0; i < cols.size(); ++i) uniform = uniform && asc[i] == asc[0];
    if (uniform) {
        std::string l, r;
        for (size_t i = 0; i < cols.size(); ++i) {
            l += (i ? ", " : "") + cols[i];
            r += (i ? ", " : "") + params[i];
        }
        return "(" + l + ") " + (asc[0] ? ">" : "<") + (inclusive ? "=" : "") + " (" + r + ")";
    }
    // Mixed directions: (c1 > v1) OR (c1 = v1 AND c2 < v2) OR ...
    std::string sql, equal;
    for (size_t i = 0; i < cols.size(); ++i) {
        const bool last = i + 1 == cols.size();
        std::string op = std::string(asc[i] ? ">" : "<") + (last && inclusive ? "=" : "");
        sql += (i ? " OR (" : "(") + equal + cols[i] + " " + op + " " + params[i] + ")";
        equal += cols[i] + " = " + params[i] + " AND ";
    }
    return "(" + sql + ")";
}

std::string KeyedSchema::SeekSql(int key, bool forward, const SeekAnchor& anchor) const {
    std::vector<bool> asc = TravelDirections(key, forward);
    std::string sql = SelectFrom();
    if (anchor.kind != SeekAnchor::Start) sql += " WHERE " + Comparison(key, asc, anchor);
    sql += " ORDER BY ";
    std::vector<int> f = KeyFields(key);
    for (size_t i = 0; i < f.size(); ++i) sql += Column(f[i]) + (asc[i] ? " ASC, " : " DESC, ");
    sql += std::string("rid") + (asc.back() ? " ASC" : " DESC");
    return sql + " LIMIT ?100";
}

}  // namespace tarn::storage
