/* The fast_obj peer, compiled as the C it is, from the peers folder (never copied in). */
#define FAST_OBJ_IMPLEMENTATION
#include <fast_obj.h>
