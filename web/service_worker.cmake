# Writes the service worker into the site: the list of the site's files and
# a version made from their contents, so any change in the build gives
# browsers a new worker and new files.
#   cmake -DSITE_DIR=... -DTEMPLATE=web/sw.js -P service_worker.cmake
file(GLOB names RELATIVE ${SITE_DIR} ${SITE_DIR}/*)
list(REMOVE_ITEM names sw.js)
list(SORT names)
set(contents "")
foreach(name ${names})
  file(SHA256 ${SITE_DIR}/${name} sum)
  string(APPEND contents "${name} ${sum}\n")
endforeach()
string(SHA256 sum "${contents}")
string(SUBSTRING ${sum} 0 16 SITE_VERSION)
# No site file has a space in its name.
list(JOIN names " " SITE_FILES)
configure_file(${TEMPLATE} ${SITE_DIR}/sw.js @ONLY)
