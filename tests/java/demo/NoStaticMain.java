package demo;

// Has a main method, but not a static one.
public class NoStaticMain {
  public void main(String[] args) {}
}
