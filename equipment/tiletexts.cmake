# The tile's texts and values: widget-free, so they belong to the core.
include_guard(GLOBAL)
target_sources(velora_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/tiletexts.cpp
    ${CMAKE_CURRENT_LIST_DIR}/tiletexts.h)
