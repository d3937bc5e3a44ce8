# Writes the page's release into its service worker, run by the build once the site is copied:
# the release is a hash of the files the worker keeps (the page's own, both planners' and the chart
# library's), so every change of any of them is a new release whose cache replaces the old one.
# cmake -DSOURCE=<web/site> -DSITE=<build dir> -P site_release.cmake
file(GLOB files LIST_DIRECTORIES false RELATIVE ${SOURCE} ${SOURCE}/*)
list(REMOVE_ITEM files service-worker.js)
list(APPEND files ostrel_web.js ostrel_web.wasm ostrel_web_threads.js ostrel_web_threads.wasm
     ostrel_web_threads.worker.js vendor/uPlot.iife.min.js vendor/uPlot.min.css)
list(SORT files)
set(hashes "")
foreach(file IN LISTS files)
  file(SHA256 ${SITE}/${file} hash)
  string(APPEND hashes "${file} ${hash}\n")
endforeach()
string(SHA256 release "${hashes}")
string(SUBSTRING ${release} 0 16 OSTREL_SITE_RELEASE)
list(JOIN files " " OSTREL_SITE_FILES)
configure_file(${SOURCE}/service-worker.js ${SITE}/service-worker.js @ONLY)
