#include "config/KnownModels.h"

#include <QSettings>
#include <QStringList>

#include <algorithm>
#include <memory>

namespace vantrel {
namespace {

constexpr char kKnownModelsKey[] = "knownModels";

// One file for both programs, whatever names the window's application has.
std::unique_ptr<QSettings> SharedSettings() {
  return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                     QStringLiteral("vantrel"), QStringLiteral("vantrel"));
}

void Save(const std::vector<InstrumentModel>& models) {
  QStringList words;
  for (const InstrumentModel& model : models) words << QString::fromStdString(ModelWord(model));
  const std::unique_ptr<QSettings> settings = SharedSettings();
  settings->setValue(QLatin1String(kKnownModelsKey), words);
  settings->sync();
}

}  // namespace

// Words that do not read as a model (edited by hand) are left out.
std::vector<InstrumentModel> LoadKnownModels() {
  std::vector<InstrumentModel> models;
  const QStringList words = SharedSettings()->value(QLatin1String(kKnownModelsKey)).toStringList();
  for (const QString& word : words) {
    const std::optional<InstrumentModel> model = ParseModelWord(word.trimmed().toStdString());
    if (model && std::find(models.begin(), models.end(), *model) == models.end()) {
      models.push_back(*model);
    }
  }
  return models;
}

void RememberKnownModel(const InstrumentModel& model) {
  std::vector<InstrumentModel> models = LoadKnownModels();
  if (std::find(models.begin(), models.end(), model) != models.end()) return;
  models.push_back(model);
  Save(models);
}

bool ForgetKnownModel(const InstrumentModel& model) {
  std::vector<InstrumentModel> models = LoadKnownModels();
  const auto found = std::find(models.begin(), models.end(), model);
  if (found == models.end()) return false;
  models.erase(found);
  Save(models);
  return true;
}

}  // namespace vantrel
