/* A host written in plain C: compiles the public headers as C and calls the
 * shared library's exports. */
#include <stdio.h>
#include <string.h>

#include "pharmex/pharmex.h"

static int failures = 0;

#define CHECK(condition)                                                     \
  do {                                                                       \
    if (!(condition)) {                                                      \
      fprintf(stderr, "%s:%d: %s failed\n", __FILE__, __LINE__, #condition); \
      ++failures;                                                            \
    }                                                                        \
  } while (0)

int main(void) {
  static const PxChar16 text[] = {'a', 'b', 'c'};
  PxVariant value;
  PxVariant copy;
  PxVariantArray* array;

  CHECK(sizeof(PxVariant) == 16);
  pharmex_variant_init(&value);
  CHECK(value.vt == PX_VT_EMPTY);

  value.vt = PX_VT_BSTR;
  value.value.bstr = pharmex_string_alloc(text, 3);
  CHECK(value.value.bstr != NULL);
  CHECK(pharmex_string_length(value.value.bstr) == 3);
  CHECK(value.value.bstr[3] == 0);

  array = pharmex_array_create(2);
  CHECK(pharmex_array_count(array) == 2);
  CHECK(pharmex_array_item(array, 2) == NULL);
  *pharmex_array_item(array, 0) = value; /* the array now owns the string */
  pharmex_array_item(array, 1)->vt = PX_VT_I4;
  pharmex_array_item(array, 1)->value.i4 = 1001;
  pharmex_variant_init(&value);
  value.vt = PX_VT_ARRAY_VARIANT;
  value.value.array = array;

  pharmex_variant_init(&copy);
  CHECK(pharmex_variant_copy(&copy, &value) == 0);
  CHECK(copy.value.array != array);
  CHECK(pharmex_string_length(pharmex_array_item(copy.value.array, 0)->value.bstr) == 3);
  pharmex_variant_clear(&value);
  pharmex_variant_clear(&copy);
  CHECK(copy.vt == PX_VT_EMPTY);

  CHECK(strcmp(pharmex_version(), "0.1.0") == 0);
  CHECK(strcmp(pharmex_last_error(), "") == 0);
  CHECK(pharmex_set_regional_settings("12", NULL) == -1);
  CHECK(pharmex_set_regional_settings(",", "dd.MM.yyyy") == 0);

  if (failures == 0) printf("c host: all checks passed\n");
  return failures == 0 ? 0 : 1;
}
