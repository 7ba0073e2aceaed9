#include "engine/DeviceData.h"

namespace vantrel {

void ClearFields(DeviceData& data, unsigned fields) {
  const DeviceData fresh;
  if (fields & kIdentityFields) {
    data.tag = fresh.tag;
    data.descriptor = fresh.descriptor;
    data.message = fresh.message;
    data.date = fresh.date;
  }
  if (fields & kLongAddressField) data.longAddressText = fresh.longAddressText;
  if (fields & kSensorFields) {
    data.sensorTypeIndex = fresh.sensorTypeIndex;
    data.sensorLowerText = fresh.sensorLowerText;
    data.sensorUpperText = fresh.sensorUpperText;
  }
  if (fields & kRangeFields) {
    data.unitIndex = fresh.unitIndex;
    data.upperRangeText = fresh.upperRangeText;
    data.lowerRangeText = fresh.lowerRangeText;
    data.dampingText = fresh.dampingText;
    data.upperRange = fresh.upperRange;
    data.lowerRange = fresh.lowerRange;
    data.damping = fresh.damping;
  }
  if (fields & kResistanceField) data.resistance = fresh.resistance;
  if (fields & kReferenceFields) {
    data.rRefText = fresh.rRefText;
    data.vRefText = fresh.vRefText;
  }
  if (fields & kOffsetField) {
    data.offsetText = fresh.offsetText;
    data.offsetTenths = fresh.offsetTenths;
  }
  if (fields & kRow1Fields) {
    data.row1AdmText = fresh.row1AdmText;
    data.row1AdlText = fresh.row1AdlText;
  }
  if (fields & kRow2Fields) {
    data.row2AdmText = fresh.row2AdmText;
    data.row2AdlText = fresh.row2AdlText;
  }
  if (fields & kMillivoltField) data.millivoltText = fresh.millivoltText;
  if (fields & kGainField) data.gainIndex = fresh.gainIndex;
  if (fields & kPressureCodeField) data.pressureCode = fresh.pressureCode;
  data.readFields &= ~fields;
  data.typedFields &= ~fields;
  if (data.readFields == kNoFields) data.valuesFrom.reset();
}

unsigned FieldsFromOtherInstrument(const DeviceData& data, unsigned fields,
                                   const Instrument& connected) {
  if (!data.valuesFrom || IsSameInstrument(data.valuesFrom->identity, connected.identity)) {
    return kNoFields;
  }
  return fields & data.readFields & ~data.typedFields;
}

}  // namespace vantrel
