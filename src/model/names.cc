// The words for the goals and for the limits.
#include "model/names.h"

#include <cctype>

#include "model/tables.h"

namespace ostrel {

std::string foldName(std::string_view name) {
  std::string folded;
  for (const char c : name) {
    if (std::isspace(static_cast<unsigned char>(c)) == 0) {
      folded += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
  }
  return folded;
}

const char* limitFieldName(LimitField field) {
  switch (field) {
    case LimitField::kNone:
      return "";
    case LimitField::kForm:
      return "form";
    case LimitField::kDef:
      return "def";
    case LimitField::kPow:
      return "pow";
    case LimitField::kDex:
      return "dex";
    case LimitField::kMind:
      return "mind";
    case LimitField::kDefBar:
      return "def bar";
    case LimitField::kPowBar:
      return "pow bar";
    case LimitField::kDexBar:
      return "dex bar";
    case LimitField::kMindBar:
      return "mind bar";
    case LimitField::kLevel:
      return "level";
  }
  return "";
}

const char* limitRuleName(LimitRule rule) {
  switch (rule) {
    case LimitRule::kWithin:
      return "";
    case LimitRule::kFullyRaised:
      return "fully-raised";
    case LimitRule::kBelow:
      return "below";
    case LimitRule::kAbove:
      return "above";
    case LimitRule::kNotAboveStart:
      return "not-above-start";
    case LimitRule::kBelowStart:
      return "below-start";
    case LimitRule::kFormLeft:
      return "form-left";
    case LimitRule::kFormNotYet:
      return "form-not-yet";
  }
  return "";
}

namespace {

// What a verdict says about the field it names.
std::string limitProblem(const LimitVerdict& verdict) {
  const std::string value = std::to_string(verdict.value);
  const std::string bound = std::to_string(verdict.bound);
  const std::string field = limitFieldName(verdict.field);
  switch (verdict.rule) {
    case LimitRule::kFullyRaised:
      return std::string(kFullyRaisedMessage) + " (level " + value + ")";
    case LimitRule::kBelow:
      return field + " " + value + " is below " + bound;
    case LimitRule::kAbove:
      return field + " " + value + " is above " + bound;
    case LimitRule::kNotAboveStart:
      return field + " " + value + " is not above the mag's " + bound;
    case LimitRule::kBelowStart:
      return field + " " + value + " is below the mag's " + bound;
    case LimitRule::kFormLeft:
      return "a mag of level " + value + " has left this form: every mag leaves it at level " +
             bound + " and no evolution gives it back";
    case LimitRule::kFormNotYet:
      return "a mag of level " + value +
             " cannot have this form: no evolution gives it below level " + bound;
    case LimitRule::kWithin:
      break;
  }
  return {};
}

}  // namespace

std::string startRefusalText(const LimitVerdict& verdict) { return limitProblem(verdict); }

std::string targetRefusalText(const LimitVerdict& verdict) {
  if (verdict.within()) return {};
  return std::string(kNotPossibleMessage) + " (" + limitProblem(verdict) + ")";
}

}  // namespace ostrel
