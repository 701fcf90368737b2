// The modular program of the end-to-end tests.
module demo.app {}
