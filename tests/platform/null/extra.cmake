# The null backend's program: the panel and the contract against a platform with no
# interface, and no simulator in it.
set(k71_test_links k71_test_main k71_backend_null k71_panel)
