#include "JetFunctions.h"

#include <QChar>
#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "DbError.h"
#include "JetValue.h"
#include "SqliteValue.h"

namespace tarovent::db {

namespace {

// Sort keys of one character: the primary key is the base letter (case and accent removed,
// two letters for æ, œ, ß...), the secondary key the letter without case.
struct Fold {
  char32_t primary[2] = {0, 0};
  char32_t secondary = 0;
};

constexpr char32_t kTableSize = 0x250;  // Latin-1, Latin Extended-A and B

struct FoldTable {
  std::array<Fold, kTableSize> entries;

  FoldTable() {
    for (char32_t c = 0; c < kTableSize; ++c) {
      const QChar ch(static_cast<char16_t>(c));
      const char32_t lower = ch.toLower().unicode();
      Fold& f = entries[c];
      f.secondary = lower;
      f.primary[0] = lower;
      QString decomposed = ch.decomposition();
      if (ch.decompositionTag() == QChar::Canonical && !decomposed.isEmpty()) {
        QChar base = decomposed[0];
        while (base.decompositionTag() == QChar::Canonical && !base.decomposition().isEmpty())
          base = base.decomposition()[0];
        f.primary[0] = base.toLower().unicode();
      }
    }
    const auto set = [this](char32_t upper, char32_t lower, const char* base) {
      for (char32_t c : {upper, lower}) {
        if (!c) continue;
        entries[c].primary[0] = static_cast<unsigned char>(base[0]);
        entries[c].primary[1] = base[1] ? static_cast<unsigned char>(base[1]) : 0;
      }
    };
    set(0xC6, 0xE6, "ae");
    set(0x152, 0x153, "oe");
    set(0, 0xDF, "ss");
    set(0xD8, 0xF8, "o");
    set(0x110, 0x111, "d");
    set(0xD0, 0xF0, "d");
    set(0x141, 0x142, "l");
    set(0x13F, 0x140, "l");
    set(0x126, 0x127, "h");
    set(0x166, 0x167, "t");
    set(0, 0x131, "i");
    set(0xDE, 0xFE, "th");
    set(0x132, 0x133, "ij");
    set(0, 0x149, "n");
    set(0, 0x17F, "s");
    set(0, 0x138, "k");
    set(0x14A, 0x14B, "n");
    set(0x191, 0x192, "f");
  }
};

const FoldTable& foldTable() {
  static const FoldTable table;
  return table;
}

Fold foldOf(char32_t c) {
  if (c < 0x80) {
    const char32_t l = (c >= 'A' && c <= 'Z') ? c + 32 : c;
    return Fold{{l, 0}, l};
  }
  if (c < kTableSize) return foldTable().entries[c];
  const char32_t l = c <= 0xFFFF ? QChar(static_cast<char16_t>(c)).toLower().unicode() : c;
  return Fold{{l, 0}, l};
}

// Code points of UTF-16 text.
struct Utf16Reader {
  const char16_t* p;
  const char16_t* end;
  bool next(char32_t& c) {
    if (p == end) return false;
    c = *p++;
    if (QChar::isHighSurrogate(c) && p != end && QChar::isLowSurrogate(*p))
      c = QChar::surrogateToUcs4(static_cast<char16_t>(c), *p++);
    return true;
  }
};

// Code points of UTF-8 text (invalid bytes are taken one by one).
struct Utf8Reader {
  const unsigned char* p;
  const unsigned char* end;
  bool next(char32_t& c) {
    if (p == end) return false;
    const unsigned char b = *p++;
    int more = 0;
    if (b < 0x80) {
      c = b;
      return true;
    } else if ((b & 0xE0) == 0xC0) {
      c = b & 0x1F;
      more = 1;
    } else if ((b & 0xF0) == 0xE0) {
      c = b & 0x0F;
      more = 2;
    } else if ((b & 0xF8) == 0xF0) {
      c = b & 0x07;
      more = 3;
    } else {
      c = b;
      return true;
    }
    while (more-- > 0 && p != end && (*p & 0xC0) == 0x80) c = (c << 6) | (*p++ & 0x3F);
    return true;
  }
};

template <class Reader>
struct PrimaryStream {
  Reader r;
  char32_t pending = 0;
  bool next(char32_t& out) {
    if (pending) {
      out = pending;
      pending = 0;
      return true;
    }
    char32_t c;
    if (!r.next(c)) return false;
    const Fold f = foldOf(c);
    out = f.primary[0];
    pending = f.primary[1];
    return true;
  }
};

template <class Reader>
int compareFull(Reader a, Reader b) {
  {
    PrimaryStream<Reader> pa{a};
    PrimaryStream<Reader> pb{b};
    for (;;) {
      char32_t x;
      char32_t y;
      const bool hx = pa.next(x);
      const bool hy = pb.next(y);
      if (!hx || !hy) {
        if (hx) return 1;
        if (hy) return -1;
        break;
      }
      if (x != y) return x < y ? -1 : 1;
    }
  }
  for (;;) {
    char32_t x;
    char32_t y;
    const bool hx = a.next(x);
    const bool hy = b.next(y);
    if (!hx || !hy) return hx ? 1 : (hy ? -1 : 0);
    const char32_t fx = foldOf(x).secondary;
    const char32_t fy = foldOf(y).secondary;
    if (fx != fy) return fx < fy ? -1 : 1;
  }
}

inline unsigned char asciiLower(unsigned char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + 32) : c;
}

int compareUtf8(const unsigned char* a, int na, const unsigned char* b, int nb) {
  int k = 0;
  const int n = na < nb ? na : nb;
  // ASCII prefix: a byte-wise comparison without case decides most comparisons.
  for (; k < n; ++k) {
    const unsigned char x = a[k];
    const unsigned char y = b[k];
    if ((x | y) & 0x80) break;
    if (x != y) {
      const unsigned char lx = asciiLower(x);
      const unsigned char ly = asciiLower(y);
      if (lx != ly) return lx < ly ? -1 : 1;
    }
  }
  if (k == n && k == na && k == nb) return 0;
  if (k == n && !(k < na && (a[k] & 0x80)) && !(k < nb && (b[k] & 0x80)))
    return na < nb ? -1 : (na > nb ? 1 : 0);
  return compareFull(Utf8Reader{a + k, a + na}, Utf8Reader{b + k, b + nb});
}

int jetCollation(void*, int na, const void* a, int nb, const void* b) {
  return compareUtf8(static_cast<const unsigned char*>(a), na, static_cast<const unsigned char*>(b),
                     nb);
}

inline char32_t likeFold(char32_t c) { return foldOf(c).secondary; }

// Matches a [..] class at pattern[p] (just after '['); sets `end` past the ']'.
bool matchClass(QStringView pattern, qsizetype p, char32_t c, qsizetype* end, bool* valid) {
  qsizetype q = p;
  bool negate = false;
  if (q < pattern.size() && pattern[q] == u'!') {
    negate = true;
    ++q;
  }
  bool found = false;
  bool first = true;
  while (q < pattern.size() && (pattern[q] != u']' || first)) {
    first = false;
    const char32_t lo = likeFold(pattern[q].unicode());
    if (q + 2 < pattern.size() && pattern[q + 1] == u'-' && pattern[q + 2] != u']') {
      const char32_t hi = likeFold(pattern[q + 2].unicode());
      if (c >= lo && c <= hi) found = true;
      q += 3;
    } else {
      if (c == lo) found = true;
      ++q;
    }
  }
  *valid = q < pattern.size();
  *end = q + 1;
  return found != negate;
}

// Matches one pattern element (not '*') at pattern[p] against text character `c`; sets `next`
// to the element that follows.
bool matchOne(QStringView pattern, qsizetype p, QChar c, qsizetype* next) {
  const QChar pc = pattern[p];
  *next = p + 1;
  if (pc == u'?') return true;
  if (pc == u'#') return c.isDigit();
  const char32_t tc = likeFold(c.unicode());
  if (pc == u'[') {
    qsizetype end = 0;
    bool valid = false;
    const bool ok = matchClass(pattern, p + 1, tc, &end, &valid);
    if (!valid) return tc == u'[';  // an unclosed bracket is a literal
    *next = end;
    return ok;
  }
  return likeFold(pc.unicode()) == tc;
}

// Wildcard matching without recursion: on a mismatch, the last '*' takes one more character.
bool likeMatch(QStringView text, QStringView pattern) {
  qsizetype t = 0;
  qsizetype p = 0;
  qsizetype starP = -1;
  qsizetype starT = 0;
  while (t < text.size()) {
    qsizetype next = 0;
    if (p < pattern.size() && pattern[p] == u'*') {
      starP = ++p;
      starT = t;
    } else if (p < pattern.size() && matchOne(pattern, p, text[t], &next)) {
      p = next;
      ++t;
    } else if (starP >= 0) {
      p = starP;
      t = ++starT;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == u'*') ++p;
  return p == pattern.size();
}

// --- SQLite functions ---

jet::Value argValue(sqlite3_value* v) {
  switch (sqlite3_value_type(v)) {
    case SQLITE_INTEGER:
      return jet::Value::integer(sqlite3_value_int64(v));
    case SQLITE_FLOAT:
      return jet::Value::real(sqlite3_value_double(v));
    case SQLITE_NULL:
      return jet::Value::null();
    default: {
      const auto* p = reinterpret_cast<const char*>(sqlite3_value_text(v));
      return jet::Value::text(QString::fromUtf8(p, sqlite3_value_bytes(v)));
    }
  }
}

void setResult(sqlite3_context* ctx, const jet::Value& r) {
  using T = jet::Value::Type;
  switch (r.type) {
    case T::Null:
      sqlite3_result_null(ctx);
      return;
    case T::Bool:
      sqlite3_result_int(ctx, r.b ? -1 : 0);
      return;
    case T::Int:
      sqlite3_result_int64(ctx, r.i);
      return;
    case T::Double:
      sqlite3_result_double(ctx, r.d);
      return;
    case T::Text: {
      const QByteArray u = r.s.toUtf8();
      sqlite3_result_text(ctx, u.constData(), int(u.size()), SQLITE_TRANSIENT);
      return;
    }
    case T::Date: {
      const QByteArray u = jet::storageFromSerial(r.d).toUtf8();
      sqlite3_result_text(ctx, u.constData(), int(u.size()), SQLITE_TRANSIENT);
      return;
    }
  }
}

void callBuiltin(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  const auto* info = static_cast<const jet::FnInfo*>(sqlite3_user_data(ctx));
  std::array<jet::Value, 4> small;
  std::vector<jet::Value> many;
  jet::Value* args = small.data();
  if (argc > int(small.size())) {
    many.resize(argc);
    args = many.data();
  }
  for (int k = 0; k < argc; ++k) args[k] = argValue(argv[k]);
  try {
    setResult(ctx, jet::call(info->fn, args, argc));
  } catch (const DbError& e) {
    const QByteArray m = e.description().toUtf8();
    sqlite3_result_error(ctx, m.constData(), int(m.size()));
    // The engine's number travels in the extended code of the failing statement.
    sqlite3_result_error_code(ctx, functionErrorCode(e.number()));
  }
}

// jet_cat stays on UTF-8 bytes: it runs on every row of the queries that build keys.
void catFunction(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  QByteArray out;
  bool allNull = true;
  for (int k = 0; k < argc; ++k) {
    sqlite3_value* v = argv[k];
    switch (sqlite3_value_type(v)) {
      case SQLITE_NULL:
        break;
      case SQLITE_FLOAT:
        allNull = false;
        out += jet::numberText(sqlite3_value_double(v)).toUtf8();
        break;
      default:
        allNull = false;
        out.append(reinterpret_cast<const char*>(sqlite3_value_text(v)), sqlite3_value_bytes(v));
        break;
    }
  }
  if (allNull && argc > 0) {
    sqlite3_result_null(ctx);
    return;
  }
  sqlite3_result_text(ctx, out.constData(), int(out.size()), SQLITE_TRANSIENT);
}

void likeFunction(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  // like(pattern, text[, escape]): the LIKE operator calls it with its operands swapped.
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL ||
      (argc > 2 && sqlite3_value_type(argv[2]) == SQLITE_NULL)) {
    sqlite3_result_null(ctx);
    return;
  }
  const auto text = [](sqlite3_value* v) {
    return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_value_text(v)),
                             sqlite3_value_bytes(v));
  };
  QString pattern = text(argv[0]);
  if (argc > 2) {
    // ESCAPE c: turn "c*" into "[*]" so the rest of the matcher needs no escape rule.
    const QString esc = text(argv[2]);
    if (esc.size() == 1) {
      QString p;
      for (qsizetype k = 0; k < pattern.size(); ++k) {
        if (pattern[k] == esc[0] && k + 1 < pattern.size()) {
          p += u'[' + QString(pattern[++k]) + u']';
        } else {
          p += pattern[k];
        }
      }
      pattern = p;
    }
  }
  sqlite3_result_int(ctx, jetLike(text(argv[1]), pattern) ? 1 : 0);
}

// The value kept by First() and Last(). Numbers are kept as they are and text in a buffer that
// grows but is never given back before the end: Last() replaces its value at every row, and
// a copy of each value would cost an allocation per row.
struct FirstLast {
  bool set;
  int type;
  sqlite3_int64 integer;
  double real;
  char* bytes;
  int size, capacity;
};

void keep(FirstLast* s, sqlite3_value* v) {
  s->type = sqlite3_value_type(v);
  s->set = true;
  switch (s->type) {
    case SQLITE_INTEGER:
      s->integer = sqlite3_value_int64(v);
      return;
    case SQLITE_FLOAT:
      s->real = sqlite3_value_double(v);
      return;
    case SQLITE_NULL:
      return;
    default:
      break;
  }
  const void* data = s->type == SQLITE_TEXT ? static_cast<const void*>(sqlite3_value_text(v))
                                            : sqlite3_value_blob(v);
  const int size = sqlite3_value_bytes(v);
  if (size > s->capacity) {
    const int capacity = std::max(size, 2 * s->capacity);
    char* grown = static_cast<char*>(sqlite3_realloc(s->bytes, capacity > 0 ? capacity : 1));
    if (!grown) {
      s->type = SQLITE_NULL;
      return;
    }
    s->bytes = grown;
    s->capacity = capacity;
  }
  if (size > 0) std::memcpy(s->bytes, data, size_t(size));
  s->size = size;
}

template <bool kLast>
void firstLastStep(sqlite3_context* ctx, int, sqlite3_value** argv) {
  auto* s = static_cast<FirstLast*>(sqlite3_aggregate_context(ctx, sizeof(FirstLast)));
  if (!s) {
    sqlite3_result_error_nomem(ctx);
    return;
  }
  if (s->set && !kLast) return;
  keep(s, argv[0]);
}

void firstLastFinal(sqlite3_context* ctx) {
  auto* s = static_cast<FirstLast*>(sqlite3_aggregate_context(ctx, 0));
  if (!s || !s->set) {
    sqlite3_result_null(ctx);
    return;
  }
  switch (s->type) {
    case SQLITE_INTEGER:
      sqlite3_result_int64(ctx, s->integer);
      break;
    case SQLITE_FLOAT:
      sqlite3_result_double(ctx, s->real);
      break;
    case SQLITE_TEXT:
      sqlite3_result_text(ctx, s->bytes ? s->bytes : "", s->size, SQLITE_TRANSIENT);
      break;
    case SQLITE_BLOB:
      sqlite3_result_blob(ctx, s->bytes, s->size, SQLITE_TRANSIENT);
      break;
    default:
      sqlite3_result_null(ctx);
      break;
  }
  sqlite3_free(s->bytes);
  s->bytes = nullptr;
}

void check(sqlite3* db, int rc, const char* what) {
  if (rc != SQLITE_OK)
    throw DbError(err::EngineError,
                  QStringLiteral("Impossible d'enregistrer %1 : %2")
                      .arg(QLatin1String(what), QString::fromUtf8(sqlite3_errmsg(db))));
}

}  // namespace

int jetCompare(QStringView a, QStringView b) {
  const qsizetype n = a.size() < b.size() ? a.size() : b.size();
  qsizetype k = 0;
  for (; k < n; ++k) {
    const char16_t x = a[k].unicode();
    const char16_t y = b[k].unicode();
    if ((x | y) >= 0x80) break;
    if (x != y) {
      const char16_t lx = (x >= 'A' && x <= 'Z') ? x + 32 : x;
      const char16_t ly = (y >= 'A' && y <= 'Z') ? y + 32 : y;
      if (lx != ly) return lx < ly ? -1 : 1;
    }
  }
  if (k == n && (k == a.size() || a[k].unicode() < 0x80) &&
      (k == b.size() || b[k].unicode() < 0x80))
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
  const auto* pa = reinterpret_cast<const char16_t*>(a.data());
  const auto* pb = reinterpret_cast<const char16_t*>(b.data());
  return compareFull(Utf16Reader{pa + k, pa + a.size()}, Utf16Reader{pb + k, pb + b.size()});
}

bool jetLike(QStringView text, QStringView pattern) { return likeMatch(text, pattern); }

int jetInStr(int start, QStringView text, QStringView search) {
  if (start < 1) start = 1;
  if (start > text.size() + 1) return 0;
  if (search.isEmpty()) return start;
  const qsizetype last = text.size() - search.size();
  for (qsizetype i = start - 1; i <= last; ++i) {
    qsizetype j = 0;
    while (j < search.size() && likeFold(text[i + j].unicode()) == likeFold(search[j].unicode()))
      ++j;
    if (j == search.size()) return int(i + 1);
  }
  return 0;
}

void registerJetFunctions(sqlite3* db) {
  // Translated SQL quotes every name with "": a misspelt field must fail, not turn into a text.
  sqlite3_db_config(db, SQLITE_DBCONFIG_DQS_DML, 0, nullptr);
  constexpr int kUtf8 = SQLITE_UTF8;
  constexpr int kDet = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
  check(db, sqlite3_create_collation_v2(db, "JET", kUtf8, nullptr, jetCollation, nullptr),
        "la collation JET");
  check(db,
        sqlite3_create_function_v2(db, "like", 2, kDet, nullptr, likeFunction, nullptr, nullptr,
                                   nullptr),
        "like");
  check(db,
        sqlite3_create_function_v2(db, "like", 3, kDet, nullptr, likeFunction, nullptr, nullptr,
                                   nullptr),
        "like");
  int count = 0;
  const jet::FnInfo* table = jet::functionTable(&count);
  for (int k = 0; k < count; ++k) {
    const jet::FnInfo& f = table[k];
    const int flags = f.deterministic ? kDet : kUtf8;
    if (f.fn == jet::Fn::Cat) {
      check(db,
            sqlite3_create_function_v2(db, f.sqlName, -1, flags, nullptr, catFunction, nullptr,
                                       nullptr, nullptr),
            f.sqlName);
      continue;
    }
    if (f.fn == jet::Fn::CSng) continue;  // same SQL function as CDbl
    for (int n = f.minArgs; n <= f.maxArgs; ++n)
      check(db,
            sqlite3_create_function_v2(db, f.sqlName, n, flags, const_cast<jet::FnInfo*>(&f),
                                       callBuiltin, nullptr, nullptr, nullptr),
            f.sqlName);
  }
  check(db,
        sqlite3_create_function_v2(db, "jet_first", 1, kUtf8, nullptr, nullptr,
                                   firstLastStep<false>, firstLastFinal, nullptr),
        "jet_first");
  check(db,
        sqlite3_create_function_v2(db, "jet_last", 1, kUtf8, nullptr, nullptr, firstLastStep<true>,
                                   firstLastFinal, nullptr),
        "jet_last");
  // A connection puts its own in place, which checks the value against its field.
  check(db,
        sqlite3_create_function_v2(
            db, "jet_field", 4, kDet, nullptr,
            [](sqlite3_context* ctx, int, sqlite3_value** argv) {
              sqlite3_result_value(ctx, argv[0]);
            },
            nullptr, nullptr, nullptr),
        "jet_field");
}

}  // namespace tarovent::db
