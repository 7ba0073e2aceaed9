// A saved configuration: floats exactly as the instrument sent them, the keys
// in the order a reader expects, and the values with their units.
#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>
#include <cstdlib>
#include <limits>

#include "config/Configuration.h"
#include "config/JsonText.h"
#include "config/LoadPlan.h"

namespace vantrel {
namespace {

TEST(ConfigurationFile, FloatsAreTheShortestTextThatReadsBackTheSame) {
  const struct {
    float value;
    const char* text;
  } cases[] = {
      {0.25f, "0.25"},
      {0.1f, "0.1"},
      {0.2f, "0.2"},
      {100000.0f, "100000"},
      {49888.7227f, "49888.723"},
      {-200.0f, "-200"},
      {0.0f, "0"},
      {1e-4f, "0.0001"},
      {1e-7f, "1e-07"},
      {3.4028235e38f, "3.4028235e+38"},
      {std::numeric_limits<float>::quiet_NaN(), "null"},
      {std::numeric_limits<float>::infinity(), "null"},
  };
  for (const auto& c : cases) {
    const std::string text = JsonFloat(c.value);
    EXPECT_EQ(text, c.text) << c.text;
    if (std::isfinite(c.value)) {
      EXPECT_EQ(std::strtof(text.c_str(), nullptr), c.value) << text;
    }
  }
}

TEST(ConfigurationFile, HoldsTheIdentityAndTheValuesWithTheirUnits) {
  DeviceData data;
  data.longAddress = {0x5a, 0x10, 0x01, 0x02, 0x06};
  data.hartRevision = 5;
  data.tag = "PT-101";
  data.descriptor = "SPARE \"B\"";
  data.message = "LINE 3";
  data.date = {2026, 12, 8};
  data.unitIndex = 6;  // MPa
  data.upperRange = 0.25f;
  data.lowerRange = -0.1f;
  data.upperRangeText = "0.2";  // what the page shows is not what is saved
  data.damping = 0.3f;
  data.sensorTypeIndex = 8;  // Pt100
  data.gainIndex = 2;
  data.offsetTenths = -15;
  const QDateTime time(QDate(2026, 12, 8), QTime(9, 30), Qt::OffsetFromUTC, 8 * 3600);
  const std::string text = ConfigurationJson(ConfigurationOf(data, 3, time));

  EXPECT_EQ(text.rfind("{\n  \"format\": \"vantrel-configuration\",\n  \"version\": 1,\n"
                       "  \"time\": \"2026-12-08T09:30:00+08:00\",\n  \"identity\": ",
                       0),
            0u)
      << text;
  QJsonParseError error;
  const QJsonObject file =
      QJsonDocument::fromJson(QByteArray::fromStdString(text), &error).object();
  ASSERT_EQ(error.error, QJsonParseError::NoError) << text;
  const QJsonObject identity = file["identity"].toObject();
  EXPECT_EQ(identity["manufacturer"].toInt(), 0x5a);
  EXPECT_EQ(identity["deviceType"].toInt(), 0x10);
  EXPECT_EQ(identity["deviceId"].toString(), "010206");
  EXPECT_EQ(identity["longAddress"].toString(), "0x5a 0x10 0x01 0x02 0x06");
  EXPECT_EQ(identity["hartRevision"].toInt(), 5);
  EXPECT_EQ(file["descriptor"].toString(), "SPARE \"B\"");
  EXPECT_EQ(file["date"].toString(), "2026-12-08");
  EXPECT_EQ(file["pollingAddress"].toInt(), 3);
  const QJsonObject range = file["range"].toObject();
  EXPECT_EQ(static_cast<float>(range["upper"].toDouble()), 0.25f);
  EXPECT_EQ(static_cast<float>(range["lower"].toDouble()), -0.1f);
  EXPECT_EQ(range["unit"].toString(), "MPa");
  EXPECT_EQ(static_cast<float>(file["damping"].toObject()["value"].toDouble()), 0.3f);
  EXPECT_EQ(file["sensor"].toObject()["type"].toString(), "Pt100");
  EXPECT_EQ(file["sensor"].toObject()["upper"].toDouble(), 850.0);
  EXPECT_EQ(file["gain"].toString(), "x4");
  EXPECT_EQ(file["offset"].toObject()["value"].toDouble(), -1.5);
  EXPECT_EQ(file["offset"].toObject()["unit"].toString(), "degC");

  // Nothing chosen: no unit, sensor or gain rather than a wrong one.
  data.unitIndex = -1;
  data.sensorTypeIndex = -1;
  data.gainIndex = -1;
  const QJsonObject unknown =
      QJsonDocument::fromJson(
          QByteArray::fromStdString(ConfigurationJson(ConfigurationOf(data, 0, time))))
          .object();
  EXPECT_TRUE(unknown["range"].toObject()["unit"].isNull());
  EXPECT_TRUE(unknown["sensor"].isNull());
  EXPECT_TRUE(unknown["gain"].isNull());
}

// A load writes the chosen fields; what an operation sends besides them keeps
// the instrument's own values exactly (0.25, not the page's "0.2").
TEST(ConfigurationFile, ALoadWritesTheChosenFieldsAndKeepsTheRest) {
  Configuration mine;
  mine.tag = "PT-00";
  mine.descriptor = "OLD";
  mine.unitIndex = 6;
  mine.upperRange = 0.25f;
  mine.lowerRange = 0.0f;
  mine.damping = 0.5f;
  Configuration file = mine;
  file.tag = "PT-01";
  file.descriptor = "NEW";
  file.upperRange = 0.4f;
  file.damping = 2.0f;
  file.sensorTypeIndex = 8;
  const struct {
    std::vector<std::string> fields;
    std::vector<OperationCode> ops;
    const char* tag;
    const char* upper;
    const char* damping;
  } cases[] = {
      {{"tag"}, {OP_WRITE_DEVICE_INFO}, "PT-01", "", ""},
      {{"damping"}, {OP_WRITE_CONFIG}, "", "0.25", "2"},
      {{"range.upper", "tag"}, {OP_WRITE_DEVICE_INFO, OP_WRITE_CONFIG}, "PT-01", "0.4", "0.5"},
      {{"sensor.type"}, {OP_WRITE_SENSOR_CONFIG}, "", "", ""},
      {{}, {}, "", "", ""},
  };
  for (const auto& c : cases) {
    const std::vector<PlannedWrite> writes = LoadWrites(mine, file, c.fields);
    std::vector<OperationCode> ops;
    DeviceData d;
    for (const PlannedWrite& w : writes) {
      ops.push_back(w.op);
      w.apply(d);
    }
    EXPECT_EQ(ops, c.ops) << c.fields.size();
    EXPECT_EQ(d.tag, c.tag);
    EXPECT_EQ(d.upperRangeText, c.upper);
    EXPECT_EQ(d.dampingText, c.damping);
    EXPECT_EQ(d.descriptor, d.tag.empty() ? "" : "OLD");  // not chosen
  }
  EXPECT_EQ(CompareIdentity(mine, file), IdentityMatch::Same);
  file.deviceId[2] = 6;
  EXPECT_EQ(CompareIdentity(mine, file), IdentityMatch::OtherDevice);
  file.deviceType = 0x11;
  EXPECT_EQ(CompareIdentity(mine, file), IdentityMatch::OtherModel);
}

}  // namespace
}  // namespace vantrel
