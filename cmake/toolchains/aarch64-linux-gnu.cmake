# Linux aarch64 with the GNU cross compiler; tests run under qemu-user.
set(cross_processor aarch64)
set(cross_triplet aarch64-linux-gnu)
include(${CMAKE_CURRENT_LIST_DIR}/linux-gnu-cross.cmake)
