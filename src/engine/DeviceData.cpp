#include "engine/DeviceData.h"

namespace vantrel {

std::uint8_t LoopCurrentModeByte(const DeviceData& data) {
  return data.loopCurrentEnabled.value_or(data.newPollAddress == 0) ? 1 : 0;
}

void ClearFields(DeviceData& data, unsigned fields) {
  const DeviceData fresh;
  if (fields & kMessageField) data.message = fresh.message;
  if (fields & kTagField) data.tag = fresh.tag;
  if (fields & kDescriptorField) data.descriptor = fresh.descriptor;
  if (fields & kDateField) data.date = fresh.date;
  if (fields & kLongAddressField) data.longAddressText = fresh.longAddressText;
  if (fields & kSensorTypeField) data.sensorTypeIndex = fresh.sensorTypeIndex;
  if (fields & kSensorLimitsField) {
    data.sensorLowerText = fresh.sensorLowerText;
    data.sensorUpperText = fresh.sensorUpperText;
  }
  if (fields & kUnitField) {
    data.unitIndex = fresh.unitIndex;
    data.unitCode = fresh.unitCode;
  }
  if (fields & kUpperRangeField) {
    data.upperRangeText = fresh.upperRangeText;
    data.upperRange = fresh.upperRange;
  }
  if (fields & kLowerRangeField) {
    data.lowerRangeText = fresh.lowerRangeText;
    data.lowerRange = fresh.lowerRange;
  }
  if (fields & kDampingField) {
    data.dampingText = fresh.dampingText;
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
  if (fields & kRow1AdmField) data.row1AdmText = fresh.row1AdmText;
  if (fields & kRow1AdlField) data.row1AdlText = fresh.row1AdlText;
  if (fields & kRow2AdmField) data.row2AdmText = fresh.row2AdmText;
  if (fields & kRow2AdlField) data.row2AdlText = fresh.row2AdlText;
  if (fields & kMillivoltField) data.millivoltText = fresh.millivoltText;
  if (fields & kGainField) data.gainIndex = fresh.gainIndex;
  if (fields & kPressureCodeField) data.pressureCode = fresh.pressureCode;
  if (fields & kLongTagField) data.longTag = fresh.longTag;
  if (fields & kStatusField) {
    data.additionalStatus = fresh.additionalStatus;
    data.additionalStatusRevision = fresh.additionalStatusRevision;
  }
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
