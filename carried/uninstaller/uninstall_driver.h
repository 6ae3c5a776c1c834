// Removal of the adapter's driver packages from the driver store.
#pragma once

// Removes every package of the Windows INF folder whose Version section
// names one of the adapter's catalogs. Windows publishes packages as
// oemN.inf, Wine under their own names, so every *.inf is read. 0 when
// none is left, -1 when one could not be removed or the folder not read.
int remove_driver_packages();

// True when the INF at path is a Windows-4 style INF whose Version section
// has CatalogFile "wlanbox_ndis650.cat" or "wlanbox_ndis620.cat" (any case).
bool inf_names_adapter_catalog(const char *path);
