// A small JSON document model: value type, parser, compact writer and atomic file writer.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace json {

enum class Type { Null = 0, Bool = 1, Number = 2, String = 3, Array = 4, Object = 5 };

class Value;
using Array = std::vector<Value>;
using Object = std::map<std::string, Value>;  // byte-wise key order, so output is stable

class Value {
  public:
    Value() = default;
    Value(bool b) : type_(Type::Bool), bool_(b) {}
    Value(double d) : type_(Type::Number), num_(d) {}
    Value(int i) : type_(Type::Number), num_(i) {}
    Value(long long i) : type_(Type::Number), num_(static_cast<double>(i)) {}
    Value(const char* s) : type_(Type::String), str_(s ? s : "") {}
    Value(std::string s) : type_(Type::String), str_(std::move(s)) {}
    Value(Array a) : type_(Type::Array), arr_(std::move(a)) {}
    Value(Object o) : type_(Type::Object), obj_(std::move(o)) {}
    Value(const Value&) = default;
    Value(Value&&) noexcept = default;
    Value& operator=(Value&&) noexcept = default;
    Value& operator=(const Value&) = delete;

    Type type() const { return type_; }
    bool isNull() const { return type_ == Type::Null; }
    bool isBool() const { return type_ == Type::Bool; }
    bool isNumber() const { return type_ == Type::Number; }
    bool isString() const { return type_ == Type::String; }
    bool isArray() const { return type_ == Type::Array; }
    bool isObject() const { return type_ == Type::Object; }

    bool asBool(bool def) const { return isBool() ? bool_ : def; }
    double asNumber(double def) const { return isNumber() ? num_ : def; }
    // Rounded half up and clamped to the int range; NaN gives the default.
    int asInt(int def) const;
    const std::string& asString() const { return str_; }
    const Array& asArray() const { return arr_; }
    const Object& asObject() const { return obj_; }
    Array& arr() { return arr_; }
    Object& obj() { return obj_; }

    const Value& operator[](const std::string& key) const;
    const Value& operator[](const char* key) const { return (*this)[std::string(key)]; }
    const Value& operator[](size_t index) const;
    const Value& operator[](int index) const;
    size_t size() const;
    bool has(const std::string& key) const;
    std::string dump() const;

  private:
    void dumpTo(std::string& out) const;

    Type type_ = Type::Null;
    bool bool_ = false;
    double num_ = 0;
    std::string str_;
    Array arr_;
    Object obj_;
};

// Parses one value from the start of the text; Null on any failure.
Value parse(const std::string& text);
bool parseFile(const std::string& path, Value* out);
// Writes through a synced temporary file of its own and a rename, so the target is always
// one writer's whole file, also with several processes or threads writing it. Thread-safe.
bool writeFileAtomic(const std::string& path, const Value& value);
// Removes the temporary files in the directory that crashed writers left behind; those of a
// running process are kept.
void removeStaleTemps(const std::string& dir);

// Defined conversions of any stored double: NaN gives 0, the rest is truncated toward
// zero and clamped to the target range.
int64_t truncToInt64(double d);
// Truncated toward zero to 64 bits, then the low 32 bits kept.
uint32_t truncToUint32(double d);

}  // namespace json
