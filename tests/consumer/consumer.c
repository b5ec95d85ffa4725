/* Calls the installed library through its public headers only. */
#include <pharmex/pharmex.h>
#include <stdio.h>
#include <string.h>

int main(void) {
  PxVariant value;
  pharmex_variant_init(&value);
  /* The installed header and the installed library are of one version. */
  if (strcmp(pharmex_version(), PHARMEX_VERSION) != 0) return 1;
  printf("consumer: pharmex %s\n", pharmex_version());
  return value.vt == PX_VT_EMPTY ? 0 : 1;
}
