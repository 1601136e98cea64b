# The headers of resource id names, generated at build time from the bundles of one resource folder
# (resources/README.md, "Names") into <build>/generated/ids/. A target that links the INTERFACE
# library gets the include folder ("ids/VantorelIds.h") and has the header generated before it
# compiles; editing a bundle of the folder generates it again.
#
# vt_resource_ids(<target> <folder of resources/> <namespace> <header name>)
function(vt_resource_ids target folder space header)
  file(GLOB bundles CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/resources/${folder}/*.txt)
  set(out ${PROJECT_BINARY_DIR}/generated/ids/${header})
  add_custom_command(OUTPUT ${out}
    COMMAND resgen ${space} ${out} ${PROJECT_SOURCE_DIR}/resources/${folder}
    DEPENDS resgen ${bundles}
    COMMENT "Generating ids/${header} from resources/${folder}"
    VERBATIM)
  add_custom_target(${target}_header DEPENDS ${out})
  add_library(${target} INTERFACE)
  target_include_directories(${target} INTERFACE ${PROJECT_BINARY_DIR}/generated)
  add_dependencies(${target} ${target}_header)
endfunction()

vt_resource_ids(common_ids common uiid CommonIds.h)
vt_resource_ids(vantorel_ids vantorel vtid VantorelIds.h)
vt_resource_ids(brelvoxa_ids brelvoxa bxid BrelvoxaIds.h)
