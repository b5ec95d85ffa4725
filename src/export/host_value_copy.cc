#include "export/host_value_copy.h"

#include "core/abi_memory.h"

namespace pharmex::exporting {

bool copy_host_value(const PxVariant& value, dbf::TDbfField& field) {
  switch (value.vt) {
    case PX_VT_BSTR:
      field.SetText(abi::string_text(value.value.bstr));
      return true;
    case PX_VT_I2:
      field.SetInteger(value.value.i2);
      return true;
    case PX_VT_I4:
      field.SetInteger(value.value.i4);
      return true;
    case PX_VT_I8:
      field.SetInteger(value.value.i8);
      return true;
    case PX_VT_R8:
      field.SetReal(value.value.r8);
      return true;
    case PX_VT_DATE:
      field.SetDate(value.value.date);
      return true;
    case PX_VT_BOOL:
      field.SetBoolean(value.value.boolean != 0);
      return true;
    case PX_VT_NULL:
      field.Clear();
      return true;
    default:
      return false;
  }
}

}  // namespace pharmex::exporting
