#include "smtp/RefreshTokenCache.h"

#include <nlohmann/json.hpp>

#include "platform/SecretFile.h"

namespace vellumo {
namespace {

using nlohmann::json;

// The file holds {"entries": [{endpoint, client_id, mailbox, given,
// refresh_token}, ...]}; anything else reads as empty.
json Entries(SecretFile& file) {
  const std::optional<std::string> bytes = file.Read();
  if (!bytes) return json::array();
  const json content = json::parse(*bytes, nullptr, false);
  if (!content.is_object() || !content.contains("entries") || !content["entries"].is_array()) {
    return json::array();
  }
  return content["entries"];
}

std::string Text(const json& entry, const char* name) {
  const auto field = entry.find(name);
  return field != entry.end() && field->is_string() ? field->get<std::string>() : std::string();
}

bool Matches(const json& entry, const RefreshTokenKey& key) {
  return entry.is_object() && Text(entry, "endpoint") == key.Endpoint &&
         Text(entry, "client_id") == key.ClientId && Text(entry, "mailbox") == key.Mailbox;
}

}  // namespace

std::optional<std::string> RefreshTokenCache::Find(const RefreshTokenKey& key,
                                                   const std::string& given) {
  for (const json& entry : Entries(file_)) {
    if (!Matches(entry, key) || Text(entry, "given") != given) continue;
    std::string token = Text(entry, "refresh_token");
    if (!token.empty()) return token;
  }
  return std::nullopt;
}

bool RefreshTokenCache::Store(const RefreshTokenKey& key, const std::string& given,
                              const std::string& token) {
  json kept = json::array();
  for (const json& entry : Entries(file_)) {
    if (!Matches(entry, key)) kept.push_back(entry);
  }
  if (!token.empty()) {
    kept.push_back({{"endpoint", key.Endpoint},
                    {"client_id", key.ClientId},
                    {"mailbox", key.Mailbox},
                    {"given", given},
                    {"refresh_token", token}});
  }
  // Replacement characters rather than an exception for odd bytes.
  return file_.Write(json{{"entries", kept}}.dump(1, ' ', false, json::error_handler_t::replace));
}

}  // namespace vellumo
