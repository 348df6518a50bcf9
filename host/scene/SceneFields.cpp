#include "host/scene/SceneFields.h"

#include <algorithm>
#include <cmath>

namespace tarvenna::host {

std::string JsonKind(const nlohmann::json& value)
{
    switch (value.type()) {
    case nlohmann::json::value_t::null:
        return "null";
    case nlohmann::json::value_t::object:
        return "an object";
    case nlohmann::json::value_t::array:
        return "a list";
    case nlohmann::json::value_t::string:
        return "a text";
    case nlohmann::json::value_t::boolean:
        return "true or false";
    default:
        return "a number";
    }
}

SceneFields::SceneFields(const nlohmann::json& value, std::string place, std::string& error)
    : value(value),
      place(std::move(place)),
      error(error)
{
}

std::string SceneFields::PlaceOf(const char* name) const
{
    return place.empty() ? std::string(name) : place + "." + name;
}

std::string SceneFields::PlaceOf(const char* name, std::size_t index) const
{
    return PlaceOf(name) + "[" + std::to_string(index) + "]";
}

bool SceneFields::Fail(const std::string& where, const std::string& what)
{
    error = where.empty() ? what : where + ": " + what;
    return false;
}

bool SceneFields::IsObject()
{
    if (value.is_object())
        return true;
    return Fail(place, "must be an object { ... }, not " + JsonKind(value));
}

// A misspelt field would otherwise be ignored without a word.
bool SceneFields::OnlyFields(const std::vector<const char*>& names)
{
    for (auto item = value.begin(); item != value.end(); ++item) {
        const bool known = std::any_of(names.begin(), names.end(),
                                       [&](const char* name) { return item.key() == name; });
        if (known)
            continue;
        std::string list;
        for (const char* name : names)
            list += (list.empty() ? "" : ", ") + std::string(name);
        return Fail(PlaceOf(item.key().c_str()), "unknown field (known: " + list + ")");
    }
    return true;
}

bool SceneFields::Has(const char* name) const { return value.contains(name); }

bool SceneFields::Integer(const char* name, long low, long high, long& out)
{
    std::optional<long> read;
    if (!Integer(name, low, high, read))
        return false;
    if (read)
        out = *read;
    return true;
}

bool SceneFields::Integer(const char* name, long low, long high, std::optional<long>& out)
{
    if (!Has(name))
        return true;
    const nlohmann::json& field = value[name];
    if (!field.is_number_integer())
        return Fail(PlaceOf(name), "must be a whole number, not " + JsonKind(field));
    const long long read = field.is_number_unsigned()
                               ? static_cast<long long>(std::min<std::uint64_t>(
                                     field.get<std::uint64_t>(), 1ULL << 62))
                               : field.get<long long>();
    if (read < low || read > high)
        return Fail(PlaceOf(name), "must be " + std::to_string(low) + " to " +
                                       std::to_string(high) + ", not " + std::to_string(read));
    out = static_cast<long>(read);
    return true;
}

bool SceneFields::Number(const char* name, double low, double high, double& out)
{
    if (!Has(name))
        return true;
    const nlohmann::json& field = value[name];
    if (!field.is_number())
        return Fail(PlaceOf(name), "must be a number, not " + JsonKind(field));
    const double read = field.get<double>();
    if (!(read >= low && read <= high))
        return Fail(PlaceOf(name), "must be " + nlohmann::json(low).dump() + " to " +
                                       nlohmann::json(high).dump() + ", not " + field.dump());
    out = read;
    return true;
}

bool SceneFields::Boolean(const char* name, std::optional<bool>& out)
{
    if (!Has(name))
        return true;
    const nlohmann::json& field = value[name];
    if (!field.is_boolean())
        return Fail(PlaceOf(name), "must be true or false, not " + JsonKind(field));
    out = field.get<bool>();
    return true;
}

bool SceneFields::Text(const char* name, std::string& out)
{
    std::optional<std::string> read;
    if (!Text(name, read))
        return false;
    if (read)
        out = *read;
    return true;
}

bool SceneFields::Text(const char* name, std::optional<std::string>& out)
{
    if (!Has(name))
        return true;
    const nlohmann::json& field = value[name];
    if (!field.is_string())
        return Fail(PlaceOf(name), "must be a text \"...\", not " + JsonKind(field));
    out = field.get<std::string>();
    return true;
}

}  // namespace tarvenna::host
