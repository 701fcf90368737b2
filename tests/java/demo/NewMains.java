package demo;

// The main methods that Java 25 starts besides a static main(String[]); each
// class prints which one ran.

// Does what Probe does, from an instance main(String[]).
class InstanceMain {
  void main(String[] args) throws Exception {
    Probe.main(args);
  }

  static void initiateExit(int status) {
    Probe.initiateExit(status);
  }
}

class InstanceNoArgs {
  void main() {
    System.out.println("instance main()");
  }
}

class StaticNoArgs {
  static void main() {
    System.out.println("static main()");
  }
}

// A private main is not a main method.
class PrivateArgs {
  private static void main(String[] args) {
    System.out.println("private static main(String[])");
  }

  void main() {
    System.out.println("instance main()");
  }
}

// From Java 22 the parameter decides before static does.
class ArgsBeforeStatic {
  void main(String[] args) {
    System.out.println("instance main(String[]) " + args.length);
  }

  static void main() {
    System.out.println("static main()");
  }
}

class PrivateConstructor {
  private PrivateConstructor() {}

  void main() {
    System.out.println("instance main()");
  }
}

abstract class AbstractMain {
  void main() {
    System.out.println("instance main()");
  }
}
