/* The simulated adapter's driver file: nothing but the version note the program reads as the driver version.
 */
#include "app/Uversionnote.h"

WL_DEFINE_VERSION_NOTE(TSRWL_SIM_DRIVER_MAJOR, TSRWL_SIM_DRIVER_MINOR, TSRWL_SIM_DRIVER_RELEASE,
                       TSRWL_SIM_DRIVER_BUILD);
