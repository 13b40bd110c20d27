/* Stands in for the AVR toolchain's header: PROGMEM places data in flash there. */
#define PROGMEM __attribute__((used))
