// Fuzz target: the web page's requests. Each input is one request text, sent to every entry the
// page's module exports (the plan, the replay of a plan's runs, the listing of the forms and the
// trade-off) through web/plan_request.h, as the page, a shared link or local storage would send
// it. The goal searches run kFuzzSearch's narrow beams, as the command line's fuzz target asks with
// --beam-width, so that a request that is accepted still answers quickly. Whatever the text, every
// answer must be a JSON object that keeps the promise of its outcome (checkAnswer): a document that
// passes its JSON Schema (schema/, with valijson), or a bad request, or a refusal that names a
// field the request gave and quotes a short, flat value. A plan found must open again through the
// replay entry as the same plan. Any breach aborts, and libFuzzer keeps the input.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <set>
#include <string>
#include <string_view>
#include <valijson/adapters/nlohmann_json_adapter.hpp>
#include <valijson/schema.hpp>
#include <valijson/schema_parser.hpp>
#include <valijson/utils/nlohmann_json_utils.hpp>
#include <valijson/validator.hpp>

#include "fuzz_support.h"
#include "plan/report/plan_report.h"
#include "plan/tradeoff/tradeoffs.h"
#include "web/plan_request.h"

namespace {

using nlohmann::json;

// The answer breaks its entry's promise: say how, with the answer, and stop.
[[noreturn]] void breach(std::string_view entry, std::string_view what, const std::string& text) {
  std::fprintf(stderr, "the %.*s entry's answer %.*s:\n%.*s\n", static_cast<int>(entry.size()),
               entry.data(), static_cast<int>(what.size()), what.data(),
               static_cast<int>(std::min<std::size_t>(text.size(), 4000)), text.data());
  std::abort();
}

// The documents' JSON Schemas, loaded once: the plan's (which the replay's answer holds too), the
// listing's and the trade-off's, and the nearest plans of a missed budget as the plan's schema
// describes a trade-off's point. Their references to plan.schema.json are read from schema/.
class Schemas {
 public:
  Schemas() {
    for (const char* kind : {"plan", "forms", "tradeoffs"}) {
      parse(load(std::string(kind) + ".schema.json"), schemas_[kind]);
    }
    const json nearest = {{"type", "array"},
                          {"minItems", 1},
                          {"items", {{"$ref", "plan.schema.json#/definitions/point"}}}};
    parse(nearest, schemas_["nearest"]);
  }

  // Whether `value` passes the schema of `kind`.
  bool passes(const char* kind, const json& value) const {
    valijson::Validator validator;
    const valijson::adapters::NlohmannJsonAdapter adapter(value);
    return validator.validate(schemas_.at(kind), adapter, nullptr);
  }

 private:
  static json load(const std::string& name) {
    json document;
    if (!valijson::utils::loadDocument(std::string(OSTREL_SCHEMA_DIR) + "/" + name, document)) {
      ostrel::fuzz::failSetup(name.c_str());
    }
    return document;
  }
  static void parse(const json& schema, valijson::Schema& into) {
    valijson::SchemaParser parser;
    const valijson::adapters::NlohmannJsonAdapter adapter(schema);
    parser.populateSchema(
        adapter, into, [](const std::string& uri) -> const json* { return new json(load(uri)); },
        [](const json* document) { delete document; });
  }

  std::map<std::string, valijson::Schema> schemas_;
};

const Schemas* gSchemas = nullptr;

constexpr ostrel::web::PageSearch kFuzzSearch{4, 20'000};

// The request as the entries read it, or null when it is not a JSON object. Never copied: a copy
// recurses through however deep the request nests.
json requestOf(std::string_view text) {
  json request = json::parse(text, nullptr, false);
  if (request.is_discarded() || !request.is_object()) return {};
  return request;
}

// Whether the request gives `key` a value (null gives none).
bool gives(const json& request, const char* key) {
  return request.is_object() && request.contains(key) && !request[key].is_null();
}

// The four stats at `object`[`key`], summed as a level is, when they are whole numbers.
std::int64_t sumOfFour(const json& object, const char* key) {
  std::int64_t sum = 0;
  for (const char* stat : {"def", "pow", "dex", "mind"}) {
    const json& value = object.at(key).at(stat);
    sum += value.is_number_integer() ? value.get<std::int64_t>() : 0;
  }
  return sum;
}

// The value a refusal of the start or the target reports for `field` ("pow", "dex bar", "level"),
// read from the request.
json valueRead(const json& part, const std::string& field, bool isStart) {
  if (field == "level") {
    return std::clamp<std::int64_t>(sumOfFour(part, isStart ? "stats" : "target"), INT32_MIN,
                                    INT32_MAX);
  }
  const std::size_t space = field.find(' ');
  if (space != std::string::npos) return part.at("bars").at(field.substr(0, space));
  return isStart ? part.at("stats").at(field) : part.at("target").at(field);
}

// Whether `value` is a string with something in it.
bool isText(const json& value) {
  return value.is_string() && !value.get_ref<const std::string&>().empty();
}

// A refusal: its fields, a field the request gave, a value short and flat, and for a start or a
// target the value the request gives there.
void checkRefusal(std::string_view entry, const json& request, const json& answer,
                  const std::string& text) {
  const std::string of = answer.value("of", "");
  const std::string field = answer.value("field", "");
  const std::string rule = answer.value("rule", "");
  const bool notMet = rule == "not-met";
  if (answer.size() != (notMet ? 8U : 7U) || !isText(answer["message"]) ||
      !answer["bound"].is_number_integer() || field.empty()) {
    breach(entry, "is a refusal without its fields", text);
  }
  const json& value = answer["value"];
  if (value.is_structured() ||
      (value.is_string() && value.get_ref<const std::string&>().size() > 43)) {
    breach(entry, "quotes more than a short, flat value", text);
  }
  if (of == "budget") {
    if ((field != "maxFeedings" && field != "maxMeseta") || !gives(request, field.c_str())) {
      breach(entry, "refuses a budget the request does not give", text);
    }
    if (notMet) {
      if (entry != "plan" || !value.is_number_integer() || value <= answer["bound"] ||
          !gSchemas->passes("nearest", answer["nearest"])) {
        breach(entry, "refuses a budget met, or without its nearest plans", text);
      }
      return;
    }
    const json least = field == "maxFeedings" ? ostrel::kLeastMaxFeedings : ostrel::kLeastMaxMeseta;
    const json& given = request[field];
    if (rule != "not-a-budget" || answer["bound"] != least ||
        (given.is_number_integer() && value != given)) {
      breach(entry, "refuses a budget with the wrong rule, bound or value", text);
    }
    return;
  }
  if (of == "start" && gives(request, "start")) {
    if (field != "form" && value != valueRead(request["start"], field, true)) {
      breach(entry, "reports a value the start does not have", text);
    }
    return;
  }
  if (of != "target" || value != valueRead(request, field, false)) {
    breach(entry, "reports a refusal of no part the request gave", text);
  }
}

// The plan entries' answer with a document: the console, the errors, both plan files (empty
// without a plan), and the threads.
void checkPlanAnswer(std::string_view entry, const json& answer, const std::string& text) {
  const json& files = answer["files"];
  const bool found = answer["document"]["outcome"] == "found";
  if (answer.size() != 5U || !answer["console"].is_string() || !answer["errors"].is_string() ||
      !files.is_object() || files.size() != 2U) {
    breach(entry, "is a plan without its console and files", text);
  }
  for (const char* name : {ostrel::kDetailFileName, ostrel::kGroupedFileName}) {
    if (!files.contains(name) || !files[name].is_string() ||
        files[name].get_ref<const std::string&>().empty() == found) {
      breach(entry, "has plan files that do not tell its outcome", text);
    }
  }
}

// Checks one entry's answer to `request`: the promise of its outcome.
json checkAnswer(std::string_view entry, const json& request, const std::string& text) {
  json answer = json::parse(text, nullptr, false);
  if (answer.is_discarded() || !answer.is_object()) breach(entry, "is not a JSON object", text);
  if (answer.contains("document")) {
    const char* kind = entry == "forms" || entry == "tradeoffs" ? entry.data() : "plan";
    if (request.is_null() || !answer["threads"].is_number_integer() || answer["threads"] < 1 ||
        !gSchemas->passes(kind, answer["document"])) {
      breach(entry, "holds a document its schema refuses", text);
    }
    if (entry == "plan" || entry == "replay") checkPlanAnswer(entry, answer, text);
    if (entry == "replay" && answer["document"]["outcome"] != "found") {
      breach(entry, "replays runs that reach the target without a plan", text);
    }
    return answer;
  }
  const std::string outcome = answer.value("outcome", "");
  if (outcome == "bad-request") {
    if (answer.size() != 2U || !isText(answer["message"])) {
      breach(entry, "is a bad request without its message alone", text);
    }
  } else if (outcome == "refused" && !request.is_null()) {
    checkRefusal(entry, request, answer, text);
  } else {
    breach(entry, "has no outcome it may have", text);
  }
  return answer;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  ostrel::fuzz::makePathsAbsolute(argc, argv);
  static const Schemas schemas;
  gSchemas = &schemas;
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const json request = requestOf(text);
  const json planned =
      checkAnswer("plan", request, ostrel::web::planJson(text, {}, {}, kFuzzSearch));
  checkAnswer("replay", request, ostrel::web::replayJson(text));
  checkAnswer("forms", request, ostrel::web::formsJson(text, {}, kFuzzSearch));
  checkAnswer("tradeoffs", request, ostrel::web::tradeoffsJson(text, {}, kFuzzSearch));

  // A plan found opens again from its runs alone, as the same plan with the same files. The runs
  // are added as the request's last field, which wins over one it gives; the request is not
  // written out again, since writing recurses through however deep it nests.
  if (!planned.contains("document") || planned["document"]["outcome"] != "found") return 0;
  std::string replayText = text;
  replayText.insert(replayText.rfind('}'), ", \"runs\": " + planned["document"]["runs"].dump());
  const json replayed =
      checkAnswer("replay", requestOf(replayText), ostrel::web::replayJson(replayText));
  if (!replayed.contains("document") ||
      replayed["document"]["summary"] != planned["document"]["summary"] ||
      replayed["files"] != planned["files"]) {
    breach("replay", "is not the plan whose runs it was given", replayText);
  }
  return 0;
}
